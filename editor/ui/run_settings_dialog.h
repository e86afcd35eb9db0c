// The dialog for how conversions run: how many converters at once, and
// where their results are kept between runs. It edits a copy; the model
// stores it on OK.
#pragma once

#include <QDialog>

#include "run_settings.h"

class QLineEdit;
class QSpinBox;

namespace vorlmake {

class RunSettingsDialog : public QDialog {
    Q_OBJECT

public:
    RunSettingsDialog(RunSettings &settings, QWidget *parent = nullptr);
    void accept() override;

private:
    RunSettings &settings_;
    QSpinBox *jobs_ = nullptr;
    QLineEdit *cacheFolder_ = nullptr;
};

}  // namespace vorlmake
