#pragma once

#include <QAbstractButton>
#include <QColor>

// One colour swatch of the category colours: the colour (light grey until
// painted), with a check mark while it is chosen.
class ClassifyColorViewItem : public QAbstractButton
{
    Q_OBJECT
public:
    static constexpr int Side = 40;

    explicit ClassifyColorViewItem(QWidget *parent = nullptr);

    // Paints the swatch with the colour of a hex text ("#rrggbb").
    void showDatasWithHexColor(const QString &hex);
    QString hexColor() const { return m_hex; }

    QSize sizeHint() const override { return {Side, Side}; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_hex;
    QColor m_color;
};
