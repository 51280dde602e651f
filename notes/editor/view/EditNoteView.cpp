#include "notes/editor/view/EditNoteView.h"

#include "app/uikit/AppImages.h"
#include "app/uikit/ImageHelpers.h"
#include "app/uikit/MouseBoxView.h"
#include "app/uikit/MouseView.h"
#include "app/uikit/TintButton.h"
#include "app/uikit/TipButton.h"
#include "app/uikit/TipImageView.h"

#include <QActionGroup>
#include <QApplication>
#include <QComboBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShortcut>
#include <QSignalBlocker>
#include <QVBoxLayout>

using Button = NoteEditorPresenter::Button;

namespace {

const QColor titleColor(0x33, 0x33, 0x33);
const QColor lineFill(250, 251, 252);
const QColor lineText(0x66, 0x66, 0x66);
constexpr int buttonHeight = 25;
constexpr int edgeMargin = 16;

QPixmap image(const QString &name, int size, const QColor &tint = {})
{
    // Drawn for the sharpest screen there is (at least twice), so no screen scales it up.
    const qreal ratio = qMax<qreal>(2.0, qApp->devicePixelRatio());
    return AppImages::pixmap(name, QSize(size, size), tint, ratio);
}

void setPixelFont(QWidget *w, int pixels, bool bold = false)
{
    QFont f = w->font();
    f.setPixelSize(pixels);
    f.setBold(bold);
    w->setFont(f);
}

void setTextColor(QWidget *w, const QColor &color, QPalette::ColorRole role = QPalette::WindowText)
{
    QPalette p = w->palette();
    p.setColor(role, color);
    w->setPalette(p);
}

// The reminder line and the colour line: opaque, filled light grey-blue.
void fillLine(QWidget *w)
{
    w->setAutoFillBackground(true);
    QPalette p = w->palette();
    p.setColor(QPalette::Window, lineFill);
    w->setPalette(p);
}

QPushButton *actionButton(const QString &title, const QString &name, QWidget *parent)
{
    auto *b = new QPushButton(title, parent);
    b->setObjectName(name);
    b->setFixedHeight(buttonHeight);
    b->setMinimumWidth(64);
    b->setAutoDefault(false);
    setPixelFont(b, 13);
    return b;
}

TipButton *mark(const QString &imageName, const QString &tip, const QString &name, QWidget *parent)
{
    auto *b = new TipButton(parent);
    b->setTipTitle(tip);
    b->setObjectName(name);
    b->setFlat(true);
    b->setFocusPolicy(Qt::NoFocus);
    b->setIcon(QIcon(image(imageName, 14)));
    b->setIconSize(QSize(14, 14));
    b->setFixedSize(14, 14);
    b->setStyleSheet(QStringLiteral("QPushButton{border:none;padding:0;background:transparent;}"));
    b->setPosition(2);
    return b;
}

bool isActivationKey(const QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const int key = static_cast<const QKeyEvent *>(event)->key();
    return key == Qt::Key_Space || key == Qt::Key_Return || key == Qt::Key_Enter;
}

bool isLeftClick(const QEvent *event, const QWidget *w)
{
    if (event->type() != QEvent::MouseButtonRelease)
        return false;
    const auto *mouse = static_cast<const QMouseEvent *>(event);
    return mouse->button() == Qt::LeftButton && w->rect().contains(mouse->position().toPoint());
}

} // namespace

EditNoteView::EditNoteView(NoteEditorPresenter *presenter, QWidget *parent)
    : QWidget(parent), m_presenter(presenter), m_titleImgView(new QLabel(this)), m_titleLab(new QLabel(this)),
      m_dismissButton(new TintButton(this)), m_noteTf(new QPlainTextEdit(this)),
      m_dateView(new MouseView(this)), m_dateImgView(new TipImageView(m_dateView)),
      m_dateLab(new QLabel(m_dateView)),
      m_starImgBtn(mark(QStringLiteral("note_star"), QStringLiteral("重要事项"), QStringLiteral("starImgBtn"),
                        m_dateView)),
      m_delayImgBtn(mark(QStringLiteral("note_delay"), QStringLiteral("延时提醒"),
                         QStringLiteral("delayImgBtn"), m_dateView)),
      m_clearRemindButton(new QPushButton(QStringLiteral("清除"), m_dateView)),
      m_setView(new MouseView(this)), m_textColorBox(new MouseBoxView(m_setView)),
      m_textColorNameLab(new QLabel(m_setView)), m_classifyBtn(new QComboBox(m_setView)),
      m_colorMenu(new QMenu(this)), m_actionTypeView(new QWidget(this))
{
    if (!m_presenter->parent())
        m_presenter->setParent(this);
    m_presenter->setFeedbackAnchor(this);
    setObjectName(QStringLiteral("editNoteView"));
    setAutoFillBackground(true);
    QPalette bg = palette();
    bg.setColor(QPalette::Window, Qt::white);
    setPalette(bg);

    // Title row.
    m_titleImgView->setObjectName(QStringLiteral("titleImgView"));
    m_titleImgView->setFixedSize(16, 16);
    m_titleLab->setObjectName(QStringLiteral("titleLab"));
    setPixelFont(m_titleLab, 15, true);
    setTextColor(m_titleLab, titleColor);
    m_dismissButton->setObjectName(QStringLiteral("dismissButton"));
    m_dismissButton->setIcon(AppImages::icon(QStringLiteral("window_close")));
    m_dismissButton->setIconSize(QSize(14, 14));
    m_dismissButton->setToolTip(QStringLiteral("关闭"));
    m_dismissButton->setTintColor(QColor(0x99, 0x99, 0x99));
    m_dismissButton->setCursor(Qt::PointingHandCursor);
    m_dismissButton->setFocusPolicy(Qt::NoFocus);
    auto *titleRow = new QHBoxLayout;
    titleRow->setContentsMargins(edgeMargin, 14, edgeMargin - 4, 10);
    titleRow->setSpacing(6);
    titleRow->addWidget(m_titleImgView);
    titleRow->addWidget(m_titleLab);
    titleRow->addStretch(1);
    titleRow->addWidget(m_dismissButton);

    // Text.
    m_noteTf->setObjectName(QStringLiteral("noteTf"));
    m_noteTf->setFrameShape(QFrame::NoFrame);
    m_noteTf->setTabChangesFocus(true);
    m_noteTf->setPlaceholderText(QStringLiteral("请输入内容"));
    m_noteTf->document()->setDocumentMargin(edgeMargin - 4);
    setPixelFont(m_noteTf, 14);

    // Reminder line.
    m_dateView->setObjectName(QStringLiteral("dateView"));
    fillLine(m_dateView);
    // The line can take the keyboard focus while editing: show where it is.
    m_dateView->setStyleSheet(QStringLiteral("#dateView:focus{border:1px solid #7aa7d6;}"));
    m_dateView->setFixedHeight(36);
    m_dateView->setFocusPolicy(Qt::TabFocus);
    m_dateImgView->setObjectName(QStringLiteral("dateImgView"));
    m_dateImgView->setFixedSize(12, 12);
    m_dateImgView->setPosition(2);
    m_dateLab->setObjectName(QStringLiteral("dateLab"));
    setPixelFont(m_dateLab, 13);
    setTextColor(m_dateLab, lineText);
    // A long line (date, repeat and chosen days, or many networks) is cut short with
    // "…" in a narrow pane; its hover text holds it whole.
    m_dateLab->setMinimumWidth(40);
    m_dateLab->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    m_clearRemindButton->setObjectName(QStringLiteral("clearRemindButton"));
    setPixelFont(m_clearRemindButton, 12);
    m_clearRemindButton->setFlat(true);
    m_clearRemindButton->setFixedHeight(22);
    m_clearRemindButton->setFixedWidth(
        QFontMetrics(m_clearRemindButton->font()).horizontalAdvance(m_clearRemindButton->text()) + 16);
    m_clearRemindButton->setAutoDefault(false);
    m_clearRemindButton->setToolTip(QStringLiteral("清除提醒"));
    auto *dateRow = new QHBoxLayout(m_dateView);
    dateRow->setContentsMargins(edgeMargin, 0, 8, 0);
    dateRow->setSpacing(8);
    dateRow->addWidget(m_dateImgView);
    dateRow->addWidget(m_dateLab, 1);
    dateRow->addWidget(m_starImgBtn);
    dateRow->addWidget(m_delayImgBtn);
    dateRow->addWidget(m_clearRemindButton);

    // Colour and category line.
    m_setView->setObjectName(QStringLiteral("setView"));
    fillLine(m_setView);
    m_setView->setFixedHeight(36);
    m_textColorBox->setObjectName(QStringLiteral("textColorBox"));
    m_textColorBox->setFixedSize(14, 14);
    m_textColorBox->setFocusPolicy(Qt::TabFocus);
    m_textColorNameLab->setObjectName(QStringLiteral("textColorNameLab"));
    setPixelFont(m_textColorNameLab, 13);
    setTextColor(m_textColorNameLab, lineText);
    m_classifyBtn->setObjectName(QStringLiteral("classifyBtn"));
    m_classifyBtn->setMinimumWidth(96);
    m_classifyBtn->setMaximumWidth(200);
    m_classifyBtn->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    setPixelFont(m_classifyBtn, 13);
    auto *setRow = new QHBoxLayout(m_setView);
    setRow->setContentsMargins(edgeMargin, 0, 8, 0);
    setRow->setSpacing(8);
    setRow->addWidget(m_textColorBox);
    setRow->addWidget(m_textColorNameLab);
    setRow->addStretch(1);
    setRow->addWidget(m_classifyBtn);

    // Action buttons: right to left as the presenter orders them.
    m_actionTypeView->setObjectName(QStringLiteral("actionTypeView"));
    m_buttons.insert(Button::Edit,
                     actionButton(QStringLiteral("编辑"), QStringLiteral("editBtn"), m_actionTypeView));
    m_buttons.insert(Button::Cancel,
                     actionButton(QStringLiteral("取消"), QStringLiteral("cancleBtn"), m_actionTypeView));
    m_buttons.insert(Button::Complete,
                     actionButton(QStringLiteral("完成"), QStringLiteral("completeBtn"), m_actionTypeView));
    m_buttons.insert(Button::Delete,
                     actionButton(QStringLiteral("删除"), QStringLiteral("deleteBtn"), m_actionTypeView));
    auto *buttonRow = new QHBoxLayout(m_actionTypeView);
    buttonRow->setContentsMargins(edgeMargin, 40, edgeMargin, 40);
    buttonRow->setSpacing(16);
    buttonRow->addStretch(1);
    const QList<Button> leftToRight{Button::Delete, Button::Complete, Button::Cancel, Button::Edit};
    for (Button b : leftToRight)
        buttonRow->addWidget(m_buttons.value(b));

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addLayout(titleRow);
    layout->addWidget(m_noteTf, 1);
    layout->addWidget(m_dateView);
    layout->addSpacing(1);
    layout->addWidget(m_setView);
    layout->addWidget(m_actionTypeView);

    setTabOrder(m_noteTf, m_dateView);
    setTabOrder(m_dateView, m_clearRemindButton);
    setTabOrder(m_clearRemindButton, m_textColorBox);
    setTabOrder(m_textColorBox, m_classifyBtn);
    setTabOrder(m_classifyBtn, m_buttons.value(Button::Edit));
    setTabOrder(m_buttons.value(Button::Edit), m_buttons.value(Button::Cancel));
    setTabOrder(m_buttons.value(Button::Cancel), m_buttons.value(Button::Complete));
    setTabOrder(m_buttons.value(Button::Complete), m_buttons.value(Button::Delete));

    fillColorMenu();

    for (QWidget *w : {static_cast<QWidget *>(m_dateView), static_cast<QWidget *>(m_dateLab),
                       static_cast<QWidget *>(m_textColorBox), static_cast<QWidget *>(m_textColorNameLab)})
        w->installEventFilter(this);

    // User actions go to the presenter.
    connect(m_noteTf, &QPlainTextEdit::textChanged, this,
            [this] { m_presenter->setText(m_noteTf->toPlainText()); });
    connect(m_buttons.value(Button::Edit), &QPushButton::clicked, m_presenter, &NoteEditorPresenter::edit);
    connect(m_buttons.value(Button::Cancel), &QPushButton::clicked, m_presenter,
            &NoteEditorPresenter::cancel);
    connect(m_buttons.value(Button::Complete), &QPushButton::clicked, m_presenter,
            &NoteEditorPresenter::complete);
    connect(m_buttons.value(Button::Delete), &QPushButton::clicked, m_presenter,
            &NoteEditorPresenter::remove);
    connect(m_clearRemindButton, &QPushButton::clicked, m_presenter, &NoteEditorPresenter::clearRemind);
    connect(m_dismissButton, &QPushButton::clicked, m_presenter, &NoteEditorPresenter::dismiss);
    connect(m_classifyBtn, &QComboBox::activated, m_presenter, &NoteEditorPresenter::chooseCategory);
    auto *escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    connect(escape, &QShortcut::activated, m_presenter, &NoteEditorPresenter::cancel);
    auto *confirm = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_Return), this);
    confirm->setContext(Qt::WidgetWithChildrenShortcut);
    connect(confirm, &QShortcut::activated, this, [this] {
        if (m_presenter->isEditing())
            m_presenter->edit();
    });

    // The presenter's state comes back.
    connect(m_presenter, &NoteEditorPresenter::changed, this, &EditNoteView::render);
    connect(m_presenter, &NoteEditorPresenter::textReset, this, &EditNoteView::resetText);
    connect(m_presenter, &NoteEditorPresenter::editingStarted, this, [this] {
        m_noteTf->setFocus(Qt::OtherFocusReason);
        m_noteTf->moveCursor(QTextCursor::End);
    });
    resetText(m_presenter->text());
    render();
}

EditNoteView::~EditNoteView() = default;

QPushButton *EditNoteView::dismissButton() const
{
    return m_dismissButton;
}

void EditNoteView::fillColorMenu()
{
    m_colorMenu->setObjectName(QStringLiteral("colorMenu"));
    auto *group = new QActionGroup(m_colorMenu);
    group->setExclusive(true);
    const QList<TextColorModel> &colors = m_presenter->colors();
    for (qsizetype i = 0; i < colors.size(); ++i) {
        QPixmap swatch = QPixmap::fromImage(lp_getImageWithColor(QColor(colors[i].color), QSize(22, 22)));
        swatch.setDevicePixelRatio(2.0);
        QAction *a = m_colorMenu->addAction(QIcon(swatch), colors[i].title);
        a->setCheckable(true);
        a->setActionGroup(group);
        const int index = int(i);
        connect(a, &QAction::triggered, m_presenter, [this, index] { m_presenter->chooseColor(index); });
    }
}

void EditNoteView::showTextColorMenu()
{
    if (!m_presenter->isEditing())
        return;
    const QList<QAction *> actions = m_colorMenu->actions();
    for (qsizetype i = 0; i < actions.size(); ++i)
        actions[i]->setChecked(i == m_presenter->colorIndex());
    m_colorMenu->popup(m_textColorBox->mapToGlobal(QPoint(0, m_textColorBox->height() + 2)));
}

void EditNoteView::elideDateText()
{
    const QString shown = m_dateLab->fontMetrics().elidedText(m_dateText, Qt::ElideRight, m_dateLab->width());
    if (m_dateLab->text() != shown)
        m_dateLab->setText(shown);
}

bool EditNoteView::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_dateLab && event->type() == QEvent::Resize)
        elideDateText();
    if (watched == m_dateView || watched == m_dateLab) {
        auto *w = static_cast<QWidget *>(watched);
        if (isLeftClick(event, w) || (watched == m_dateView && isActivationKey(event))) {
            m_presenter->remindLineClicked();
            return true;
        }
    } else if (watched == m_textColorBox || watched == m_textColorNameLab) {
        auto *w = static_cast<QWidget *>(watched);
        if (isLeftClick(event, w) || (watched == m_textColorBox && isActivationKey(event))) {
            showTextColorMenu();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void EditNoteView::resetText(const QString &text)
{
    if (m_noteTf->toPlainText() == text)
        return;
    const QSignalBlocker blocker(m_noteTf);
    m_noteTf->setPlainText(text);
    // A note is read from its start; editing goes on at its end.
    m_noteTf->moveCursor(m_presenter->isEditing() ? QTextCursor::End : QTextCursor::Start);
}

void EditNoteView::render()
{
    const NoteEditorPresenter *p = m_presenter;
    const bool editing = p->isEditing();

    m_titleLab->setText(p->title());
    if (m_titleImage != p->titleImage()) {
        m_titleImage = p->titleImage();
        m_titleImgView->setPixmap(image(m_titleImage, 16, titleColor));
    }

    m_noteTf->setReadOnly(!editing || !p->hasNote());
    m_noteTf->setTextInteractionFlags(editing ? Qt::TextEditorInteraction : Qt::TextSelectableByMouse);
    const QColor color(p->colorValue());
    QPalette tp = m_noteTf->palette();
    tp.setColor(QPalette::Text, color);
    tp.setColor(QPalette::Base, Qt::white);
    if (tp != m_noteTf->palette()) {
        m_noteTf->setPalette(tp);
        // The text is painted by the viewport, which a palette change of the
        // edit does not always repaint: the chosen colour shows at once.
        m_noteTf->viewport()->update();
    }

    const NoteEditorReminderLine line = p->reminderLine();
    const bool wifi = line.icon == NoteEditorReminderLine::Icon::WiFi;
    m_dateImgView->setPixmap(image(wifi ? QStringLiteral("note_wifi") : QStringLiteral("note_date"), 12));
    m_dateImgView->setTipTitle(line.iconTip);
    m_dateText = line.text;
    elideDateText();
    m_dateLab->setToolTip(line.isSet ? line.text : QString());
    m_starImgBtn->setVisible(line.showStar);
    m_starImgBtn->setTipTitle(line.starTip);
    m_delayImgBtn->setVisible(line.showDelay);
    m_delayImgBtn->setTipTitle(line.delayTip);
    m_clearRemindButton->setEnabled(p->isClearRemindEnabled() && line.isSet);
    m_clearRemindButton->setVisible(editing);
    const Qt::CursorShape hand = editing ? Qt::PointingHandCursor : Qt::ArrowCursor;
    m_dateView->setCursor(hand);
    m_dateView->setFocusPolicy(editing ? Qt::TabFocus : Qt::NoFocus);

    m_textColorBox->setStyleSheet(
        QStringLiteral("#textColorBox{background:%1;border:1px solid rgba(0,0,0,40);}"
                       "#textColorBox:focus{border:2px solid #7aa7d6;}")
            .arg(color.name()));
    const int colorIndex = p->colorIndex();
    m_textColorNameLab->setText(colorIndex >= 0 ? p->colors().at(colorIndex).title : QString());
    m_textColorBox->setCursor(hand);
    m_textColorNameLab->setCursor(hand);
    m_textColorBox->setFocusPolicy(editing ? Qt::TabFocus : Qt::NoFocus);

    {
        const QSignalBlocker blocker(m_classifyBtn);
        const QStringList names = p->categoryNames();
        bool same = m_classifyBtn->count() == names.size();
        for (int i = 0; same && i < names.size(); ++i)
            same = m_classifyBtn->itemText(i) == names[i];
        if (!same) {
            m_classifyBtn->clear();
            m_classifyBtn->addItems(names);
        }
        m_classifyBtn->setCurrentIndex(p->categoryIndex());
        m_classifyBtn->setEnabled(editing);
    }

    const QList<Button> row = p->buttonRow();
    for (auto it = m_buttons.cbegin(); it != m_buttons.cend(); ++it)
        it.value()->setVisible(p->hasNote() && row.contains(it.key()));
    m_buttons.value(Button::Edit)->setText(p->editButtonTitle());
    m_buttons.value(Button::Edit)->setEnabled(p->isEditEnabled());
    m_buttons.value(Button::Complete)->setEnabled(p->isCompleteEnabled());
    m_buttons.value(Button::Delete)->setEnabled(p->isDeleteEnabled());
    m_dismissButton->setEnabled(p->hasNote());
}
