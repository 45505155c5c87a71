#pragma once
// The version window "バージョン情報": the program's picture, name and version. Freed when closed.
#include <QDialog>

class QLabel;

namespace vex::ui {

class AboutDialog : public QDialog {
    Q_OBJECT
public:
    AboutDialog(const QString& version, QWidget* parent);

private:
    QLabel* buildPicture();
    QLabel* buildProductName();
};

}  // namespace vex::ui
