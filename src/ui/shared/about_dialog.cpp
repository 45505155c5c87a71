#include "ui/shared/about_dialog.h"

#include <QDialogButtonBox>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

namespace vex::ui {

AboutDialog::AboutDialog(const QString& version, QWidget* parent) : QDialog(parent) {
    setObjectName("AboutBox");
    setWindowTitle("バージョン情報");
    setAttribute(Qt::WA_DeleteOnClose);
    auto* col = new QVBoxLayout(this);
    QLabel* picture = buildPicture();
    QLabel* product = buildProductName();
    auto* versionLabel = new QLabel(this);
    versionLabel->setObjectName("Version");
    versionLabel->setAlignment(Qt::AlignCenter);
    versionLabel->setText(version);
    auto* ok = new QDialogButtonBox(QDialogButtonBox::Ok, this);
    ok->setObjectName("OKButton");
    connect(ok, &QDialogButtonBox::accepted, this, &QDialog::accept);
    col->addWidget(picture);
    col->addWidget(product);
    col->addWidget(versionLabel);
    col->addWidget(ok);
}

// Drawn here so the program ships no image file.
QLabel* AboutDialog::buildPicture() {
    auto* picture = new QLabel(this);
    picture->setObjectName("ProgramIcon");
    QPixmap pm(96, 96);
    pm.fill(Qt::transparent);
    {
        QPainter p(&pm);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(0, 128, 0));
        p.setPen(Qt::NoPen);
        p.drawEllipse(4, 4, 88, 88);
        p.setPen(QPen(QColor(255, 255, 255), 3));
        p.setBrush(Qt::NoBrush);
        p.drawEllipse(20, 20, 56, 56);
        QFont f = p.font();
        f.setPixelSize(40);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(4, 4, 88, 88), Qt::AlignCenter, "V");
    }
    picture->setPixmap(pm);
    picture->setAlignment(Qt::AlignCenter);
    return picture;
}

QLabel* AboutDialog::buildProductName() {
    auto* product = new QLabel("Vexmora", this);
    product->setObjectName("ProductName");
    QFont pf = product->font();
    pf.setPointSize(16);
    pf.setBold(true);
    product->setFont(pf);
    product->setAlignment(Qt::AlignCenter);
    return product;
}

}  // namespace vex::ui
