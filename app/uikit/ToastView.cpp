#include "app/uikit/ToastView.h"

#include "app/uikit/EdgePinner.h"
#include "platform/text/StringHelpers.h"
#include "platform/text/TextRange.h"

#include <QFrame>
#include <QLabel>

#include <algorithm>
#include <cmath>

namespace {
constexpr qreal kTop = 120;
// A toast shows two lines at most; measuring a runaway text would only cost time.
constexpr qsizetype kMaxShownText = 200;
constexpr qreal kInset = 8;
constexpr qreal kMinWidth = 160;
constexpr qreal kMaxWidth = 240;
} // namespace

ToastView::Metrics ToastView::metricsForTextWidth(qreal textWidth)
{
    const qreal needed = textWidth + 16;
    const bool twoLines = needed > kMaxWidth;
    return {QSizeF(std::clamp(needed, kMinWidth, kMaxWidth), twoLines ? 60 : 46),
            twoLines ? (15 + 4) * 2.0 : 0, twoLines};
}

QFont ToastView::toastFont()
{
    QFont font;
    font.setPixelSize(15);
    return font;
}

ToastView::ToastView(const QString &fullText, QWidget *view)
    : QWidget(view), m_box(new QFrame(this)), m_label(new QLabel(m_box))
{
    const QString text =
        fullText.size() <= kMaxShownText
            ? fullText
            : fullText.left(TextRange{0, kMaxShownText}.clampedToText(fullText).length) + QStringLiteral("…");
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
    m_metrics = metricsForTextWidth(lp_widthWithFont(text, toastFont(), 19));

    m_box->setObjectName(QStringLiteral("toastBox"));
    m_box->setStyleSheet(
        QStringLiteral("QFrame#toastBox{background-color:rgb(85,85,85);border-radius:2px;}"));
    m_label->setFont(toastFont());
    m_label->setText(text);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setAlignment(Qt::AlignCenter);
    m_label->setWordWrap(m_metrics.twoLines);
    m_label->setStyleSheet(QStringLiteral("color:white;background:transparent;"));

    EdgePinner::pin(this);
    layoutBox();
    raise();
}

void ToastView::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    layoutBox();
}

void ToastView::layoutBox()
{
    const int w = int(std::lround(m_metrics.box.width()));
    const int h = int(std::lround(m_metrics.box.height()));
    m_box->setGeometry((width() - w) / 2, int(kTop), w, h);
    const int labelWidth = w - int(2 * kInset);
    const int labelHeight =
        m_metrics.twoLines ? int(m_metrics.labelHeight) : std::min(m_label->sizeHint().height(), h);
    m_label->setGeometry(int(kInset), (h - labelHeight) / 2, labelWidth, labelHeight);
}
