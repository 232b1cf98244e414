// ImageView: the area below the toolbar where ShownImage is painted,
// shrunk to fit and centred (view_layout.h), on the window's background
// colour. Nothing but the background is painted while no image is open.
#pragma once

#include <QWidget>

#include "desktop/program_state.h"

namespace LeveloraDesk {

class ImageView : public QWidget {
    Q_OBJECT

  public:
    ImageView(const ProgramState& state, QWidget* parent);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const ProgramState& state_;
};

}  // namespace LeveloraDesk
