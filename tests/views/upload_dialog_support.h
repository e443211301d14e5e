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
#include "tests/support/temp_folder.h"
#include "upload/upload_config_store.h"

namespace nimbra::testing {

// A Main.ini of its own in a fresh folder, removed with the folder.
class TempMainIni {
public:
    explicit TempMainIni(const std::string& content) {
        std::ofstream(path(), std::ios::binary) << content;
    }
    TempMainIni(const TempMainIni&) = delete;
    TempMainIni& operator=(const TempMainIni&) = delete;

    std::filesystem::path path() const { return m_folder.path() / "Main.ini"; }
    std::string content() const {
        std::ostringstream text;
        text << std::ifstream(path(), std::ios::binary).rdbuf();
        return text.str();
    }

private:
    TempFolder m_folder{"upload-dlg"};
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

}  // namespace nimbra::testing
