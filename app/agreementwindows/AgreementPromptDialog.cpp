#include "app/agreementwindows/AgreementPromptDialog.h"

#include "app/uikit/CustomButton.h"
#include "platform/text/AttributedText.h"

#include <QCloseEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTextBlock>
#include <QTextBrowser>
#include <QVBoxLayout>

#include <cmath>
#include <memory>

AgreementPromptDialog::AgreementPromptDialog(AgreementPresenter *presenter, AgreementPresenter::Prompt prompt,
                                             QWidget *parent)
    // Naming the close button is what keeps a window manager from offering minimise and maximise (with no
    // button named, it offers all); the close button says no.
    : QDialog(parent, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m_presenter(presenter), m_prompt(prompt), m_text(new QTextBrowser(this)),
      m_disagree(new QPushButton(QStringLiteral("不同意"), this)),
      m_agree(new CustomButton(QStringLiteral("同意"), this))
{
    setWindowTitle(QString());
    setObjectName(prompt == AgreementPresenter::Prompt::First ? QStringLiteral("agreementPrompt")
                                                              : QStringLiteral("agreementHintPrompt"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    setPalette(palette);
    setAutoFillBackground(true);

    QFont textFont = font();
    textFont.setPixelSize(14);
    m_text->setFont(textFont);
    m_text->setFrameShape(QFrame::NoFrame);
    m_text->setOpenLinks(false);
    m_text->setOpenExternalLinks(false);
    m_text->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_text->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_text->setPlainText(AgreementPresenter::promptText(prompt));
    QTextDocument *document = m_text->document();
    document->setDocumentMargin(0);
    for (QTextBlock block = document->begin(); block.isValid(); block = block.next()) {
        QTextCursor cursor(block);
        QTextBlockFormat format = block.blockFormat();
        format.setLineHeight(135, QTextBlockFormat::ProportionalHeight);
        format.setBottomMargin(6);
        cursor.setBlockFormat(format);
    }
    TextRangeList ranges;
    QStringList values;
    for (const AgreementLink &link : AgreementPresenter::links(prompt)) {
        ranges << link.range;
        values << link.value;
    }
    AttributedText(document).lp_addLinkUrlWithValues(ranges, values);
    connect(m_text, &QTextBrowser::anchorClicked, presenter, [presenter](const QUrl &url) {
        presenter->linkClicked(QUrl::fromPercentEncoding(url.toEncoded()));
    });

    m_disagree->setObjectName(QStringLiteral("disagreeButton"));
    m_disagree->setFlat(true);
    m_disagree->setAutoDefault(false);
    m_disagree->setCursor(Qt::PointingHandCursor);
    m_disagree->setMinimumSize(96, 32);
    m_agree->setObjectName(QStringLiteral("agreeButton"));
    m_agree->setLp_bgColor(QColor(0xFF, 0x3B, 0x30));
    m_agree->setMinimumSize(96, 32);
    m_agree->setAutoDefault(true);
    m_agree->setDefault(true);
    connect(m_disagree, &QPushButton::clicked, presenter, &AgreementPresenter::disagreeClicked);
    connect(m_agree, &QPushButton::clicked, presenter, &AgreementPresenter::agreeClicked);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(28, 24, 28, 20);
    layout->setSpacing(16);
    auto *title =
        new QLabel(prompt == AgreementPresenter::Prompt::First ? QStringLiteral("用户协议与隐私政策")
                                                               : QStringLiteral("温馨提示"),
                   this);
    title->setObjectName(QStringLiteral("promptTitle"));
    QFont titleFont = font();
    titleFont.setPixelSize(17);
    titleFont.setBold(true);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    layout->addWidget(title);
    layout->addWidget(m_text, 1);
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(16);
    buttons->addStretch();
    buttons->addWidget(m_disagree);
    buttons->addWidget(m_agree);
    buttons->addStretch();
    layout->addLayout(buttons);

    setTabOrder(m_disagree, m_agree);
    setModal(true);
    // The whole text shows without scrolling at the dialog's width.
    constexpr int width = 460;
    const int textWidth = width - layout->contentsMargins().left() - layout->contentsMargins().right();
    // Measured on a copy: the text view lays its own document out at its
    // current (not yet final) width.
    std::unique_ptr<QTextDocument> probe(document->clone());
    probe->setTextWidth(textWidth);
    m_text->setMinimumSize(textWidth, int(std::ceil(probe->size().height())) + 4);
    setFixedWidth(width);
    adjustSize();
    m_agree->setFocus();
}

void AgreementPromptDialog::dismiss()
{
    m_dismissing = true;
    done(QDialog::Accepted);
    deleteLater();
}

void AgreementPromptDialog::refuse()
{
    // The presenter answers by closing this prompt (and maybe opening the next).
    if (m_presenter)
        m_presenter->disagreeClicked();
}

void AgreementPromptDialog::reject()
{
    // Escape says no, as "不同意" does.
    if (m_dismissing)
        QDialog::reject();
    else
        refuse();
}

void AgreementPromptDialog::closeEvent(QCloseEvent *event)
{
    // A window manager may still offer a close button: it says no, as "不同意" does.
    if (m_dismissing) {
        QDialog::closeEvent(event);
        return;
    }
    event->ignore();
    refuse();
}
