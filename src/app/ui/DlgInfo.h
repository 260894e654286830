#pragma once

#include "i18n/ui/LocalizerForm.h"

#include <QDialog>

// The info box of the help menu.
class TDlgInfo : public QDialog, public TLocalizerForm {
    Q_OBJECT
public:
    explicit TDlgInfo(QWidget* parent);
};
