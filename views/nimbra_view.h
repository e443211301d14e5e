#pragma once

#include <QImage>
#include <QWidget>

#include "acquisition/live_station.h"
#include "views/live_picture.h"

namespace nimbra {

// The main window's live picture: current, highest and lowest readings, thermometers,
// rain gauges and the wind arrow, drawn from a snapshot of the live record.
class CNimbraView : public QWidget {
    Q_OBJECT

public:
    CNimbraView(const LiveStation& live, LiveLabels labels, QWidget* parent = nullptr);

    QSize sizeHint() const override;

    // Renders one frame from the current snapshot; also used for screenshots.
    QImage renderFrame() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    const LiveStation& m_live;
    LiveLabels m_labels;
    QImage m_background;
};

}  // namespace nimbra
