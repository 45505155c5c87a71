#pragma once
// A label whose text stands out of the panel: a light highlight up-left and a dark shadow
// down-right under the text. Used for the short, large captions of the bet page (zone letter).
#include <QLabel>

namespace vex::ui {

class Label3D : public QLabel {
    Q_OBJECT
public:
    explicit Label3D(const QString& text = {}, QWidget* parent = nullptr);
    void setDepth(int pixels) { depth_ = pixels; update(); }
    int depth() const { return depth_; }
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    int depth_ = 2;
};

}  // namespace vex::ui
