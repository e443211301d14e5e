#pragma once

#include <gtest/gtest.h>
#include <stdlib.h>

#include <QAbstractButton>
#include <QString>
#include <QStringList>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "config/profile_file.h"
#include "tests/support/english_strings.h"
#include "upload/upload_config_store.h"

namespace nimbra::test {

// A Main.ini of its own in a fresh folder, removed with the folder.
class TempMainIni {
public:
    explicit TempMainIni(const std::string& content) {
        std::string pattern = (std::filesystem::temp_directory_path() / "upload-dlg-XXXXXX");
        m_folder = ::mkdtemp(pattern.data());
        std::ofstream(path(), std::ios::binary) << content;
    }
    ~TempMainIni() { std::filesystem::remove_all(m_folder); }
    TempMainIni(const TempMainIni&) = delete;
    TempMainIni& operator=(const TempMainIni&) = delete;

    std::filesystem::path path() const { return m_folder / "Main.ini"; }
    std::string content() const {
        std::ostringstream text;
        text << std::ifstream(path(), std::ios::binary).rdbuf();
        return text.str();
    }

private:
    std::filesystem::path m_folder;
};

// How a test answers the dialogs' message boxes, and what they asked or reported.
struct Script {
    bool answer = true;
    int questions = 0;
    QStringList problems;
};

template <typename Dialog>
class Scripted : public Dialog {
public:
    Scripted(Script& script, ProfileFile& config, UploadConfigStore& store)
        : Dialog(config, store, englishStrings(), nullptr), m_script(script) {}

protected:
    bool confirmSave() override {
        ++m_script.questions;
        return m_script.answer;
    }
    void showProblem(const QString& message) override { m_script.problems << message; }

private:
    Script& m_script;
};

template <typename Widget>
Widget* control(const QWidget& dialog, int id) {
    auto* widget = dialog.findChild<Widget*>(QString::number(id));
    EXPECT_NE(widget, nullptr) << id;
    return widget;
}

inline void clickButton(const QWidget& dialog, int id) {
    control<QAbstractButton>(dialog, id)->click();
}

}  // namespace nimbra::test
