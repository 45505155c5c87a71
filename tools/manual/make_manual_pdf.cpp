// Builds the user manual's PDF from its Markdown with Qt's own text layout and PDF writer, so the
// build needs nothing beyond Qt Gui. Runs headless (QT_QPA_PLATFORM=offscreen).
//   make_manual_pdf MANUAL.md OUT.pdf
// Pictures are looked up beside the Markdown file and shrunk to the page width.
#include <QColor>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPageLayout>
#include <QPdfWriter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextFragment>
#include <QTextImageFormat>
#include <QTextTable>
#include <QUrl>
#include <algorithm>
#include <cstdio>

namespace {

constexpr qreal kPageMarginMm = 18;
constexpr qreal kTextWidthPx = 520;  // a little less than the text's width on the page, in layout pixels

QFont manualFont() {
    QFont font;
    // A Japanese face first so kana and kanji come from one font; Qt falls back for the rest.
    font.setFamilies({"IPAPGothic", "IPAGothic", "Noto Sans CJK JP", "Sans Serif"});
    font.setPointSizeF(10);
    return font;
}

// Every picture held by the document itself (printing works on a copy, which loads nothing from
// disk) and no wider than the text: screenshots are wider than an A4 page.
void embedPictures(QTextDocument& doc, const QDir& folder) {
    QTextCursor cursor(&doc);
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        for (auto it = block.begin(); !it.atEnd(); ++it) {
            const QTextFragment fragment = it.fragment();
            QTextImageFormat image = fragment.charFormat().toImageFormat();
            if (!image.isValid()) continue;
            const QImage picture(folder.filePath(image.name()));
            if (picture.isNull()) {
                std::fprintf(stderr, "make_manual_pdf: no picture %s\n", qPrintable(image.name()));
                continue;
            }
            doc.addResource(QTextDocument::ImageResource, QUrl(image.name()), picture);
            const qreal width = std::min<qreal>(picture.width(), kTextWidthPx);
            image.setWidth(width);
            image.setHeight(picture.height() * width / picture.width());
            cursor.setPosition(fragment.position());
            cursor.setPosition(fragment.position() + fragment.length(), QTextCursor::KeepAnchor);
            cursor.setCharFormat(image);
        }
    }
}

// Headings in the manual's colour (Markdown carries no style sheet).
void colourHeadings(QTextDocument& doc) {
    QTextCharFormat heading;
    heading.setForeground(QColor(0x1f, 0x4e, 0x3d));
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        if (block.blockFormat().headingLevel() == 0) continue;
        QTextCursor cursor(block);
        cursor.movePosition(QTextCursor::EndOfBlock, QTextCursor::KeepAnchor);
        cursor.mergeCharFormat(heading);
    }
}

// Tables with one thin rule between cells, and room around the text.
void styleTables(QTextDocument& doc) {
    for (QTextBlock block = doc.begin(); block.isValid(); block = block.next()) {
        QTextTable* table = QTextCursor(block).currentTable();
        if (!table || table->firstPosition() != block.position()) continue;
        QTextTableFormat format = table->format();
        format.setBorderCollapse(true);
        format.setBorder(1);
        format.setBorderStyle(QTextFrameFormat::BorderStyle_Solid);
        format.setBorderBrush(QColor(0x88, 0x88, 0x88));
        format.setCellPadding(3);
        format.setCellSpacing(0);
        table->setFormat(format);
    }
}

// The Markdown, with the pictures it names from its own folder.
bool loadManual(QTextDocument& doc, const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return false;
    doc.setDefaultFont(manualFont());
    doc.setMarkdown(QString::fromUtf8(file.readAll()));
    if (doc.isEmpty()) return false;
    embedPictures(doc, QFileInfo(path).absoluteDir());
    colourHeadings(doc);
    styleTables(doc);
    return true;
}

bool writePdf(QTextDocument& doc, const QString& path) {
    QPdfWriter writer(path);
    writer.setTitle("Vexmora 使用解説書");
    writer.setCreator("Vexmora");
    writer.setResolution(300);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::A4), QPageLayout::Portrait,
                                     QMarginsF(kPageMarginMm, kPageMarginMm, kPageMarginMm, kPageMarginMm),
                                     QPageLayout::Millimeter));
    doc.print(&writer);
    return QFileInfo(path).size() > 0;
}

}  // namespace

int main(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_manual_pdf MANUAL.md OUT.pdf\n");
        return 2;
    }
    QTextDocument doc;
    if (!loadManual(doc, QString::fromLocal8Bit(argv[1]))) {
        std::fprintf(stderr, "make_manual_pdf: cannot read %s\n", argv[1]);
        return 1;
    }
    if (!writePdf(doc, QString::fromLocal8Bit(argv[2]))) {
        std::fprintf(stderr, "make_manual_pdf: cannot write %s\n", argv[2]);
        return 1;
    }
    return 0;
}
