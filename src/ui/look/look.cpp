#include "ui/look/look.h"

#include <algorithm>
#include <functional>

#include <QApplication>
#include <QEvent>
#include <QHeaderView>
#include <QPainter>
#include <QPixmap>
#include <QProxyStyle>
#include <QStyleFactory>
#include <QSvgRenderer>
#include <QTableView>

#include "vocabulary/codes.h"

namespace vex::ui::look {

namespace {

const QColor kInk(0x1d, 0x24, 0x33);

// Japanese first: the Latin glyphs of a Japanese font sit well beside its kana; the rest fall back.
const QStringList kFamilies = {"Noto Sans CJK JP", "IPAPGothic", "IPAGothic", "Sans Serif"};
const QStringList kFigureFamilies = {"Noto Sans Mono CJK JP", "IPAGothic", "DejaVu Sans Mono", "Monospace"};

void setGroup(QPalette& p, QPalette::ColorGroup group, const QColor& text) {
    p.setColor(group, QPalette::WindowText, text);
    p.setColor(group, QPalette::Text, text);
    p.setColor(group, QPalette::ButtonText, text);
}

}  // namespace

QPalette palette() {
    QPalette p(QColor(0xe9, 0xeb, 0xef), QColor(0xf3, 0xf4, 0xf6));  // button, window
    p.setColor(QPalette::Base, Qt::white);
    p.setColor(QPalette::AlternateBase, QColor(0xf6, 0xf7, 0xf9));
    p.setColor(QPalette::ToolTipBase, tooltipBase());
    p.setColor(QPalette::ToolTipText, kInk);
    p.setColor(QPalette::Light, Qt::white);
    p.setColor(QPalette::Midlight, QColor(0xf0, 0xf1, 0xf4));
    p.setColor(QPalette::Mid, QColor(0xb8, 0xbd, 0xc6));
    p.setColor(QPalette::Dark, QColor(0x8a, 0x90, 0x9b));
    p.setColor(QPalette::Shadow, QColor(0x5c, 0x62, 0x70));
    p.setColor(QPalette::Highlight, QColor(0x2d, 0x6c, 0xb5));
    p.setColor(QPalette::HighlightedText, Qt::white);
    p.setColor(QPalette::Link, QColor(0x2d, 0x6c, 0xb5));
    p.setColor(QPalette::PlaceholderText, QColor(0x8a, 0x90, 0x9b));
    setGroup(p, QPalette::Active, kInk);
    setGroup(p, QPalette::Inactive, kInk);
    setGroup(p, QPalette::Disabled, QColor(0x9a, 0xa0, 0xa9));
    return p;
}

namespace {
// An icon drawn by `draw` on a transparent square of each size.
QIcon drawnIcon(std::initializer_list<int> sizes, const std::function<void(QPainter&, int)>& draw) {
    QIcon icon;
    for (int size : sizes) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        draw(painter, size);
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}
}  // namespace

QIcon programIcon() {
    QSvgRenderer svg(QStringLiteral(":/vexmora/vexmora.svg"));
    if (!svg.isValid()) return {};
    return drawnIcon({16, 24, 32, 48, 64, 128, 256}, [&svg](QPainter& painter, int) { svg.render(&painter); });
}

QFont font(int pixelSize, bool bold) {
    QFont f = QApplication::font();
    f.setPixelSize(pixelSize);
    f.setBold(bold);
    return f;
}

QFont gridFont() { return font(12); }

QFont figureFont(int pixelSize, bool bold) {
    QFont f = font(pixelSize, bold);
    f.setFamilies(kFigureFamilies);
    f.setStyleHint(QFont::TypeWriter);
    return f;
}

namespace {
// Fusion without icons on the buttons of dialogs: where no desktop theme gives them, Qt draws its
// fallback pictures (a pencil on "OK"), which say nothing the word does not.
// The message boxes' pictures likewise: a flat disc in the palette's colours with its sign, in
// place of the fallback's glossy bubbles.
QIcon messageIcon(const QColor& disc, const QString& sign) {
    return drawnIcon({32, 48, 64}, [&](QPainter& painter, int size) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(disc);
        painter.drawEllipse(QRectF(1, 1, size - 2, size - 2));
        painter.setFont(font(size * 5 / 8, true));
        painter.setPen(Qt::white);
        painter.drawText(QRect(0, 0, size, size), Qt::AlignCenter, sign);
    });
}

class ProgramStyle : public QProxyStyle {
public:
    ProgramStyle() : QProxyStyle(QStyleFactory::create(QStringLiteral("Fusion"))) {}
    int styleHint(StyleHint hint, const QStyleOption* option, const QWidget* widget,
                  QStyleHintReturn* answer) const override {
        if (hint == SH_DialogButtonBox_ButtonsHaveIcons) return 0;
        return QProxyStyle::styleHint(hint, option, widget, answer);
    }
    QIcon standardIcon(StandardPixmap which, const QStyleOption* option, const QWidget* widget) const override {
        switch (which) {
            case SP_MessageBoxInformation: return messageIcon(look::palette().color(QPalette::Highlight), "i");
            case SP_MessageBoxQuestion: return messageIcon(look::palette().color(QPalette::Highlight), "?");
            case SP_MessageBoxWarning: return messageIcon(QColor(0xd9, 0x8a, 0x1c), "!");
            case SP_MessageBoxCritical: return messageIcon(warningColour(), "×");
            default: return QProxyStyle::standardIcon(which, option, widget);
        }
    }
};
}  // namespace

void applyLook(QApplication& app) {
    QApplication::setStyle(new ProgramStyle);
    QApplication::setPalette(palette());
    QFont f = QApplication::font();
    f.setFamilies(kFamilies);
    f.setPointSizeF(9.5);
    QApplication::setFont(f);
    app.setWindowIcon(programIcon());
}

// ---- given colours

QColor frameColour(int frame) {
    switch (frame) {
        case 2: return QColor(128, 128, 128);
        case 3: return Qt::red;
        case 4: return Qt::blue;
        case 5: return Qt::yellow;
        case 6: return QColor(0, 128, 0);
        case 7: return QColor(255, 128, 0);
        case 8: return Qt::magenta;
        default: return Qt::white;
    }
}

QColor frameTextColour(int frame) {
    const bool dark = frame == 2 || frame == 3 || frame == 4 || frame == 6 || frame == 8;
    return dark ? QColor(Qt::white) : QColor(Qt::black);
}

QColor placeColour(int place) {
    if (place == 1) return Qt::red;
    if (place == 2 || place == 3) return Qt::blue;
    return Qt::black;
}

QColor textColour() { return kInk; }
QColor warningColour() { return QColor(0xc0, 0x00, 0x00); }
QColor tooltipBase() { return QColor(0xff, 0xf8, 0xdc); }
QColor gridHeader() { return QColor(192, 192, 192); }
QColor betListHeader() { return QColor(0xFF, 0xB0, 0xC0); }
QColor markCell() { return QColor(0xFF, 0xFF, 0xC0); }
QColor compiCell(bool recommended) { return recommended ? QColor(0xFF, 0xC0, 0xCB) : QColor(0xC0, 0xFF, 0xC0); }
QString warningStyleSheet() { return "color: " + warningColour().name() + "; font-weight: bold;"; }

// ---- tables

bool isFigure(const QString& cell) {
    bool digit = false;
    for (int i = 0; i < cell.size(); ++i) {
        const QChar c = cell[i];
        if (c.isDigit() && c.unicode() < 0x80) digit = true;
        else if (c == ' ' || c == ',' || c == '.' || (c == '-' && !digit)) continue;
        else if (c == '%' && i == cell.size() - 1 && digit) continue;
        else return false;
    }
    return digit;
}

QString yen(long long amount) { return QString::fromLatin1(GroupedDigits(amount)); }

namespace {

// Widens the stretching columns to the viewport on every resize; a width their owner sets is
// remembered as that column's minimum.
class ColumnStretcher : public QObject {
public:
    ColumnStretcher(QTableView* view, std::vector<int> columns)
        : QObject(view), view_(view), columns_(std::move(columns)) {
        QHeaderView* header = view_->horizontalHeader();
        for (int c : columns_) minimum_.push_back(header->sectionSize(c));
        view_->viewport()->installEventFilter(this);
        connect(header, &QHeaderView::sectionResized, this, [this](int column, int, int width) {
            if (applying_) return;
            for (std::size_t i = 0; i < columns_.size(); ++i)
                if (columns_[i] == column && width > 0) minimum_[i] = width;  // 0: hidden
            apply();
        });
        connect(header, &QHeaderView::sectionCountChanged, this, [this] { apply(); });
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Resize) apply();
        return QObject::eventFilter(watched, event);
    }

private:
    void apply() {
        QHeaderView* header = view_->horizontalHeader();
        const int count = header->count();
        int others = 0, stretching = 0;
        for (int c = 0; c < count; ++c) {
            if (header->isSectionHidden(c)) continue;
            const auto it = std::find(columns_.begin(), columns_.end(), c);
            if (it == columns_.end()) others += header->sectionSize(c);
            else stretching += minimum_[it - columns_.begin()];
        }
        const int slack = std::max(view_->viewport()->width() - others - stretching, 0);
        applying_ = true;
        int given = 0;
        for (std::size_t i = 0; i < columns_.size(); ++i) {
            const int c = columns_[i];
            if (c >= count || header->isSectionHidden(c)) continue;
            int share = stretching > 0 ? slack * minimum_[i] / stretching : 0;
            if (i + 1 == columns_.size()) share = slack - given;  // the rounding goes to the last
            given += share;
            header->resizeSection(c, minimum_[i] + share);
        }
        applying_ = false;
    }

    QTableView* view_;
    std::vector<int> columns_;
    std::vector<int> minimum_;
    bool applying_ = false;
};

}  // namespace

void stretchColumns(QTableView* view, std::vector<int> columns) {
    if (view && !columns.empty()) new ColumnStretcher(view, std::move(columns));
}

}  // namespace vex::ui::look
