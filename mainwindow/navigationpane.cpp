#include "mainwindow/navigationpane.h"

#include "os/xdgdirs.h"
#include "widgets/afterfirstpaint.h"
#include "widgets/buttonarea.h"
#include "widgets/twips.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>
#include <QFrame>
#include <QGuiApplication>
#include <QIcon>
#include <QLabel>
#include <QMouseEvent>
#include <QSaveFile>
#include <QStyle>

namespace {

struct ButtonDesign
{
    const char* caption;
    const char* iconName;
    QStyle::StandardPixmap fallbackIcon;
    int hotTop;
    int hotHeight;
    int iconTop;
    int captionTop;
    int captionHeight;
};

// Twips, relative to the pane.
constexpr std::array<ButtonDesign, NavigationPane::buttonCount> buttons = {{
    {QT_TRANSLATE_NOOP("NavigationPane", "Immideate Attention"), "dialog-warning", QStyle::SP_MessageBoxWarning, 120,
     1095, 240, 720, 495},
    {QT_TRANSLATE_NOOP("NavigationPane", "All Items"), "folder-open", QStyle::SP_DirOpenIcon, 1320, 855, 1440, 1920,
     255},
    {QT_TRANSLATE_NOOP("NavigationPane", "Recycled"), "user-trash", QStyle::SP_TrashIcon, 2280, 855, 2400, 2880, 255},
    {QT_TRANSLATE_NOOP("NavigationPane", "New Task"), "appointment-new", QStyle::SP_FileIcon, 3240, 855, 3360, 3840,
     255},
}};

constexpr int buttonLeft = 120;
constexpr int buttonWidth = 975;
constexpr int iconLeft = 360;
constexpr int iconSize = 480;

// Captions and the hover frame are white on the pane. Their foreground role must be named: left
// alone, a widget on a Dark background draws in the palette's Light, which a dark theme makes a
// grey that barely shows on its dark pane.
void drawInWhite(QWidget& widget)
{
    widget.setForegroundRole(QPalette::WindowText);
    QPalette palette = widget.palette();
    palette.setColor(QPalette::WindowText, Qt::white);
    widget.setPalette(palette);
}

QPixmap themedIcon(const ButtonDesign& design, const QStyle* style)
{
    const QString name = QString::fromLatin1(design.iconName);
    const QIcon themed = QIcon::fromTheme(name);
    const bool drawn = !themed.isNull() && !themed.availableSizes().isEmpty();
    return (drawn ? themed : style->standardIcon(design.fallbackIcon)).pixmap(px(iconSize), px(iconSize));
}

// Reading an icon theme's index costs more than building the rest of the window, so the pane shows
// the icons the theme drew at the last start, kept under a name for everything that could make the
// theme draw them differently, and asks the theme again once the window is up.
QString keptIconFile(const ButtonDesign& design, const QWidget& pane)
{
    const std::filesystem::path cache = cacheHome();
    if (cache.empty())
        return {};
    const QString source = QStringList{QIcon::themeName(),
                                       QIcon::fallbackThemeName(),
                                       QIcon::themeSearchPaths().join(u':'),
                                       pane.style()->name(),
                                       QString::fromLatin1(design.iconName),
                                       QString::number(px(iconSize)),
                                       QString::number(qGuiApp->devicePixelRatio())}
                               .join(u'\n');
    const QByteArray key = QCryptographicHash::hash(source.toUtf8(), QCryptographicHash::Sha256).toHex().left(32);
    return QString::fromStdString((cache / "taskwyn" / "icons").string()) + u'/' + QString::fromLatin1(key) +
           QStringLiteral(".png");
}

QPixmap keptIcon(const QString& file)
{
    QPixmap kept(file);
    kept.setDevicePixelRatio(qGuiApp->devicePixelRatio());
    return kept;
}

bool sameIcon(const QImage& one, const QImage& other)
{
    return one.convertToFormat(QImage::Format_ARGB32_Premultiplied) ==
           other.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

// A lost or unwritable cache only costs the next start its head start.
void keepIcon(const QPixmap& pixmap, const QString& file)
{
    if (file.isEmpty())
        return;
    QDir().mkpath(QFileInfo(file).path());
    QSaveFile out(file);
    if (out.open(QIODevice::WriteOnly) && pixmap.save(&out, "PNG"))
        out.commit();
}

} // namespace

NavigationPane::NavigationPane(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("pctMenu"));
    setAutoFillBackground(true);
    setBackgroundRole(QPalette::Dark);
    setMouseTracking(true);

    QFont captionFont = font();
    captionFont.setPointSizeF(8.25);
    for (int i = 0; i < buttonCount; ++i) {
        const ButtonDesign& design = buttons[static_cast<std::size_t>(i)];
        auto* icon = new QLabel(this);
        icon->setObjectName(QStringLiteral("Image2_%1").arg(i));
        icon->setGeometry(twipsRect(iconLeft, design.iconTop, iconSize, iconSize));
        const QPixmap kept = keptIcon(keptIconFile(design, *this));
        icon->setPixmap(kept.isNull() ? themedIcon(design, style()) : kept);
        icon->setAttribute(Qt::WA_TransparentForMouseEvents);

        auto* caption = new QLabel(tr(design.caption), this);
        caption->setObjectName(QStringLiteral("Label1_%1").arg(i));
        caption->setGeometry(twipsRect(buttonLeft, design.captionTop, buttonWidth, design.captionHeight));
        caption->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
        caption->setWordWrap(true);
        caption->setFont(captionFont);
        drawInWhite(*caption);
        caption->setAttribute(Qt::WA_TransparentForMouseEvents);

        auto* hot = new QFrame(this);
        hot->setObjectName(QStringLiteral("Image1_%1").arg(i));
        hot->setGeometry(twipsRect(buttonLeft, design.hotTop, buttonWidth, design.hotHeight));
        hot->setFrameStyle(QFrame::NoFrame);
        drawInWhite(*hot);
        hot->setMouseTracking(true);
        hot->setCursor(Qt::PointingHandCursor);
        hot->installEventFilter(this);
        hot->raise();
        actAsButton(*hot, caption->text(), [this, i] { emit image1Clicked(i); });
        if (i > 0)
            setTabOrder(Image1[static_cast<std::size_t>(i - 1)], hot);

        Image2[static_cast<std::size_t>(i)] = icon;
        Label1[static_cast<std::size_t>(i)] = caption;
        Image1[static_cast<std::size_t>(i)] = hot;
    }
    markCurrent(AllItems);
    afterFirstPaint(*window(), [this] { refreshIcons(); });
}

void NavigationPane::refreshIcons()
{
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        const QString file = keptIconFile(buttons[i], *this);
        const QPixmap themed = themedIcon(buttons[i], style());
        if (!sameIcon(Image2[i]->pixmap().toImage(), themed.toImage()))
            Image2[i]->setPixmap(themed);
        if (!sameIcon(QImage(file), themed.toImage()))
            keepIcon(themed, file);
    }
}

int NavigationPane::borderStyle(int index) const
{
    return hotArea(index)->frameShape() == QFrame::Box ? 1 : 0;
}

void NavigationPane::setBorderStyle(int index, int style)
{
    QFrame* hot = hotArea(index);
    hot->setFrameStyle(style == 1 ? QFrame::Box | QFrame::Plain : QFrame::NoFrame);
}

void NavigationPane::clearBorders()
{
    for (int i = 0; i < buttonCount; ++i)
        setBorderStyle(i, 0);
}

bool NavigationPane::captionBold(int index) const
{
    return Label1[static_cast<std::size_t>(index)]->font().bold();
}

void NavigationPane::setCaptionBold(int index, bool bold)
{
    QLabel* caption = Label1[static_cast<std::size_t>(index)];
    QFont captionFont = caption->font();
    captionFont.setBold(bold);
    caption->setFont(captionFont);
}

void NavigationPane::markCurrent(int index)
{
    for (int i = 0; i < buttonCount; ++i)
        setCaptionBold(i, false);
    setCaptionBold(index, true);
}

void NavigationPane::Image1_MouseMove(int index)
{
    if (borderStyle(index) == 1)
        return;
    clearBorders();
    setBorderStyle(index, 1);
}

void NavigationPane::mouseMoveEvent(QMouseEvent* event)
{
    clearBorders();
    QWidget::mouseMoveEvent(event);
}

int NavigationPane::indexOfHotArea(const QObject* object) const
{
    for (int i = 0; i < buttonCount; ++i) {
        if (Image1[static_cast<std::size_t>(i)] == object)
            return i;
    }
    return -1;
}

bool NavigationPane::eventFilter(QObject* watched, QEvent* event)
{
    const int index = indexOfHotArea(watched);
    if (index < 0)
        return QWidget::eventFilter(watched, event);
    // Taken here, so that the pane behind does not also see the move and clear the frame again.
    if (event->type() == QEvent::MouseMove) {
        Image1_MouseMove(index);
        return true;
    }
    // The keyboard's focus shows as the hover frame does.
    if (event->type() == QEvent::FocusIn) {
        Image1_MouseMove(index);
        return false;
    }
    if (event->type() == QEvent::MouseButtonRelease) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && hotArea(index)->rect().contains(mouse->position().toPoint()))
            emit image1Clicked(index);
        return true;
    }
    return false;
}
