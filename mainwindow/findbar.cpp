#include "mainwindow/findbar.h"

#include "widgets/afterfirstpaint.h"

#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QStyle>
#include <QToolButton>

#include <algorithm>

using namespace Qt::StringLiterals;

FindBar::FindBar(QWidget* parent) : QFrame(parent)
{
    setObjectName(u"findBar"_s);
    setFrameStyle(QFrame::StyledPanel | QFrame::Raised);
    setAutoFillBackground(true);

    field_ = new QLineEdit(this);
    field_->setObjectName(u"findField"_s);
    field_->setAccessibleName(tr("Find tasks"));
    field_->setPlaceholderText(tr("Find in title, For and description"));
    field_->installEventFilter(this);
    connect(field_, &QLineEdit::textChanged, this, &FindBar::typed);

    count_ = new QLabel(this);
    count_->setObjectName(u"findCount"_s);

    closeButton_ = new QToolButton(this);
    closeButton_->setObjectName(u"findClose"_s);
    closeButton_->setAutoRaise(true);
    closeButton_->setAccessibleName(tr("Close the find bar"));
    closeButton_->setToolTip(tr("Close the find bar (Esc)"));
    connect(closeButton_, &QToolButton::clicked, this, &FindBar::closeBar);

    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(2, 1, 2, 1);
    row->addWidget(field_, 1);
    row->addWidget(count_);
    row->addWidget(closeButton_);
    hide();
    // Their icons come from the icon theme, whose index takes longer to read than the window to
    // build; the bar is hidden until then.
    afterFirstPaint(*window(), [this] { addIcons(); });
}

void FindBar::addIcons()
{
    if (field_->isClearButtonEnabled())
        return;
    field_->setClearButtonEnabled(true);
    closeButton_->setIcon(QIcon::fromTheme(u"window-close"_s, style()->standardIcon(QStyle::SP_TitleBarCloseButton)));
}

void FindBar::open()
{
    addIcons();
    show();
    field_->setFocus(Qt::ShortcutFocusReason);
    field_->selectAll();
}

bool FindBar::shows(const TaskRecord& task) const
{
    return query_.matches(task) || std::find(kept_.begin(), kept_.end(), task) != kept_.end();
}

void FindBar::keepShowing(const TaskRecord& task)
{
    if (filtering())
        kept_.push_back(task);
}

void FindBar::showCount(int shown, int total)
{
    const QString text = tr("%1 of %2").arg(shown).arg(total);
    if (isHidden() || text == count_->text())
        return;
    count_->setText(text);
    // The field keeps the focus while the list narrows: a screen reader hears the count as the
    // field's description changing.
    field_->setAccessibleDescription(text);
}

void FindBar::typed(const QString& text)
{
    query_ = TaskQuery(text.toStdString());
    kept_.clear();
    emit queryChanged();
}

void FindBar::closeBar()
{
    hide();
    {
        const QSignalBlocker quiet(field_);
        field_->clear();
    }
    query_ = {};
    kept_.clear();
    count_->clear();
    emit closed();
}

bool FindBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != field_ || event->type() != QEvent::KeyPress)
        return QFrame::eventFilter(watched, event);
    switch (static_cast<QKeyEvent*>(event)->key()) {
    case Qt::Key_Escape:
        closeBar();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Down:
        emit intoList();
        return true;
    default:
        return false;
    }
}
