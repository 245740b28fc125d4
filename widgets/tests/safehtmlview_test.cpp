#include "widgets/safehtmlview.h"

#include <QApplication>
#include <QBuffer>
#include <QFile>
#include <QImage>
#include <QPixmap>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QTextCursor>
#include <QTextDocument>

#include <sys/inotify.h>
#include <unistd.h>

namespace {

// Remembers every resource the document asked the view for, and what the view answered.
class RecordingView : public SafeHtmlView
{
public:
    struct Request
    {
        int type;
        QUrl name;
        QVariant answer;
    };

    QVariant loadResource(int type, const QUrl& name) override
    {
        QVariant answer = SafeHtmlView::loadResource(type, name);
        requests.push_back({type, name, answer});
        return answer;
    }

    std::vector<Request> requests;
};

// Tells whether anything opened or read the watched files (inotify sees every open, even by Qt's image loader).
class OpenWatch
{
public:
    OpenWatch() : fd_(::inotify_init1(IN_NONBLOCK | IN_CLOEXEC)) {}
    ~OpenWatch() { ::close(fd_); }
    OpenWatch(const OpenWatch&) = delete;
    OpenWatch& operator=(const OpenWatch&) = delete;

    bool watch(const QString& path)
    {
        return ::inotify_add_watch(fd_, QFile::encodeName(path).constData(), IN_OPEN | IN_ACCESS) >= 0;
    }
    bool anyOpened()
    {
        char buffer[4096];
        const ssize_t got = ::read(fd_, buffer, sizeof buffer);
        return got > 0;
    }

private:
    int fd_;
};

QByteArray pngBytes(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::blue);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}

// An empty byte array, or one transparent pixel for an image: nothing of any file.
bool isEmptyAnswer(int type, const QVariant& answer)
{
    if (answer.isNull())
        return false;
    if (type == QTextDocument::ImageResource) {
        const QImage image = qvariant_cast<QImage>(answer);
        return answer.userType() == QMetaType::QImage && image.size() == QSize(1, 1) && qAlpha(image.pixel(0, 0)) == 0;
    }
    return answer.userType() == QMetaType::QByteArray && answer.toByteArray().isEmpty();
}

// Tables enough to push what follows past the part of a page that is shown at once.
QString tables(int count, const QString& text = QStringLiteral("block"))
{
    QString html;
    for (int i = 0; i < count; ++i)
        html += QStringLiteral("<table><tr><td>%1 %2</td></tr></table>").arg(text).arg(i);
    return html;
}

} // namespace

class SafeHtmlViewTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void namedResourcesAreNeverRead_data();
    void namedResourcesAreNeverRead();
    void clickedLinkGoesNowhere();
    void setSourceLoadsNothing();
    void missingOrOversizedPageShowsNothing();
    void pageIsDecodedAsUtf8();
    void messageIsShownAsPlainText();
    void longPageArrivesWholeAndInOrder();
    void longTextIsBoundedOnScreenOnly();

private:
    QString writeFile(const QString& name, const QByteArray& bytes);
    void render(RecordingView& view);

    std::unique_ptr<QTemporaryDir> folder_;
    QString secretImage_;
    QString secretStyle_;
};

void SafeHtmlViewTest::init()
{
    folder_ = std::make_unique<QTemporaryDir>();
    QVERIFY(folder_->isValid());
    secretImage_ = writeFile(QStringLiteral("secret.png"), pngBytes(40, 30));
    secretStyle_ = writeFile(QStringLiteral("secret.css"), "body { color: red }");
}

void SafeHtmlViewTest::cleanup()
{
    QVERIFY(QApplication::topLevelWidgets().isEmpty());
    folder_.reset();
}

QString SafeHtmlViewTest::writeFile(const QString& name, const QByteArray& bytes)
{
    const QString path = folder_->filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write a test file");
    return path;
}

// Lays the page out and paints it, which is when images and backgrounds are fetched.
void SafeHtmlViewTest::render(RecordingView& view)
{
    view.resize(600, 400);
    view.show();
    QVERIFY(QTest::qWaitForWindowExposed(&view));
    view.grab();
}

void SafeHtmlViewTest::namedResourcesAreNeverRead_data()
{
    QTest::addColumn<QString>("body");
    const QString image = QStringLiteral("secret.png");
    // The same protections hold for what arrives after the first part of a long page.
    const QString late = tables(300, QStringLiteral("filler"));
    QTest::newRow("late image by path") << late + QStringLiteral("<img src=\"%1\">").arg(image);
    QTest::newRow("late style sheet background")
        << late + QStringLiteral("<style>p { background-image: url(file://%1) }</style><p>text</p>").arg(image);
    QTest::newRow("late table background")
        << late + QStringLiteral("<table background=\"%1\"><tr><td>x</td></tr></table>").arg(image);
    QTest::newRow("image of /dev/zero") << QStringLiteral("<img src=\"/dev/zero\">");
    QTest::newRow("file image") << QStringLiteral("<img src=\"file://%1\">").arg(image);
    QTest::newRow("image by path") << QStringLiteral("<img src=\"%1\">").arg(image);
    QTest::newRow("data image") << QStringLiteral("<img src=\"data:image/png;base64,%1\">")
                                       .arg(QString::fromLatin1(pngBytes(40, 30).toBase64()));
    QTest::newRow("style sheet background")
        << QStringLiteral("<style>p { background-image: url(file://%1) }</style><p>text</p>").arg(image);
    QTest::newRow("style attribute background")
        << QStringLiteral("<p style=\"background-image: url('%1')\">text</p>").arg(image);
    QTest::newRow("table background")
        << QStringLiteral("<table background=\"%1\"><tr><td>x</td></tr></table>").arg(image);
    QTest::newRow("linked style sheet") << QStringLiteral(
        "<link rel=stylesheet type=\"text/css\" href=\"file://secret.css\"><p>text</p>");
    QTest::newRow("imported style sheet") << QStringLiteral("<style>@import url(secret.css);</style><p>text</p>");
}

void SafeHtmlViewTest::namedResourcesAreNeverRead()
{
    QFETCH(QString, body);
    // Names in the rows are relative to the test folder; make them absolute here.
    body.replace(QStringLiteral("secret."), folder_->filePath(QStringLiteral("secret.")));
    const QString page =
        writeFile(QStringLiteral("page.html"), QStringLiteral("<p>before</p>%1<p>after</p>").arg(body).toUtf8());

    OpenWatch watch;
    QVERIFY(watch.watch(secretImage_));
    QVERIFY(watch.watch(secretStyle_));

    RecordingView view;
    QVERIFY(view.loadPage(page));
    render(view);
    QTRY_VERIFY(!view.isFeeding());
    view.grab();

    QVERIFY2(!watch.anyOpened(), "a file named in the page was opened");
    QVERIFY(!view.requests.empty());
    for (const RecordingView::Request& request : view.requests) {
        QVERIFY2(isEmptyAnswer(request.type, request.answer), qPrintable(request.name.toString()));
        const QVariant held = view.document()->resource(request.type, request.name);
        QVERIFY2(!held.canConvert<QPixmap>() || qvariant_cast<QPixmap>(held).width() <= 1,
                 qPrintable(request.name.toString()));
    }
    QVERIFY(view.toPlainText().startsWith(QStringLiteral("before")));
    QVERIFY(view.source().isEmpty());
}

void SafeHtmlViewTest::clickedLinkGoesNowhere()
{
    const QString page =
        writeFile(QStringLiteral("page.html"),
                  QStringLiteral("<p>Before <a href=\"file://%1\">the link</a> after</p>").arg(secretStyle_).toUtf8());
    OpenWatch watch;
    QVERIFY(watch.watch(secretStyle_));
    RecordingView view;
    QVERIFY(view.loadPage(page));
    render(view);
    const QString shown = view.toPlainText();

    QTextCursor link = view.document()->find(QStringLiteral("the link"));
    QVERIFY(!link.isNull());
    link.setPosition(link.selectionStart() + 3);
    const QPoint onLink = view.cursorRect(link).center();
    QCOMPARE(view.anchorAt(onLink), QStringLiteral("file://%1").arg(secretStyle_));

    QSignalSpy clicked(&view, &QTextBrowser::anchorClicked);
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, onLink);
    QCOMPARE(clicked.count(), 1);
    view.grab();

    QCOMPARE(view.toPlainText(), shown);
    QVERIFY(view.source().isEmpty());
    QVERIFY(!watch.anyOpened());
}

void SafeHtmlViewTest::setSourceLoadsNothing()
{
    RecordingView view;
    QVERIFY(view.loadPage(writeFile(QStringLiteral("page.html"), "<p>the page</p>")));
    view.setSource(QUrl::fromLocalFile(secretStyle_));
    view.reload();
    QCOMPARE(view.toPlainText(), QStringLiteral("the page"));
    QVERIFY(view.source().isEmpty());
}

void SafeHtmlViewTest::missingOrOversizedPageShowsNothing()
{
    RecordingView view;
    QVERIFY(view.loadPage(writeFile(QStringLiteral("page.html"), "<p>old page</p>")));

    QVERIFY(!view.loadPage(folder_->filePath(QStringLiteral("missing.html"))));
    QVERIFY(view.toPlainText().isEmpty());
    QVERIFY(!view.errorString().isEmpty());

    const QString huge = writeFile(QStringLiteral("huge.html"), QByteArray(SafeHtmlView::maxPageBytes + 1, 'x'));
    QVERIFY(!view.loadPage(huge));
    QVERIFY(view.toPlainText().isEmpty());
    QVERIFY(view.errorString().contains(QStringLiteral("larger")));

    QVERIFY(!view.loadPage(folder_->path()));
    QVERIFY(view.toPlainText().isEmpty());
}

void SafeHtmlViewTest::pageIsDecodedAsUtf8()
{
    RecordingView view;
    QVERIFY(view.loadPage(writeFile(QStringLiteral("page.html"), "<b>\xc3\xa9t\xc3\xa9 \xe2\x82\xac</b>")));
    QCOMPARE(view.toPlainText(), QStringLiteral(u"été €"));
    QVERIFY(view.errorString().isEmpty());
}

void SafeHtmlViewTest::messageIsShownAsPlainText()
{
    RecordingView view;
    view.showMessage(QStringLiteral("Cannot write file <img src=\"/dev/zero\"> & co:\nPermission denied"));
    QCOMPARE(view.toPlainText(), QStringLiteral("Cannot write file <img src=\"/dev/zero\"> & co:\nPermission denied"));
    render(view);
    QVERIFY(view.requests.empty());
}

void SafeHtmlViewTest::longPageArrivesWholeAndInOrder()
{
    RecordingView view;
    QVERIFY(view.loadPage(
        writeFile(QStringLiteral("long.html"), (QStringLiteral("<h2>Head</h2>") + tables(1000)).toUtf8())));
    QVERIFY(view.isFeeding());
    QVERIFY(view.toPlainText().startsWith(QStringLiteral("Head\nblock 0\n")));
    QTRY_VERIFY(!view.isFeeding());
    const QString shown = view.toPlainText();
    qsizetype at = 0;
    for (int i = 0; i < 1000; ++i) {
        at = shown.indexOf(QStringLiteral("block %1\n").arg(i), at);
        QVERIFY2(at >= 0, qPrintable(QStringLiteral("block %1 missing or out of order").arg(i)));
    }

    // Slices of a page still arriving never land in the next page.
    QVERIFY(view.loadPage(writeFile(QStringLiteral("long.html"), tables(1000).toUtf8())));
    QVERIFY(view.loadPage(writeFile(QStringLiteral("short.html"), "<p>short</p>")));
    QTest::qWait(50);
    QCOMPARE(view.toPlainText(), QStringLiteral("short"));
    QVERIFY(view.loadPage(writeFile(QStringLiteral("long.html"), tables(1000).toUtf8())));
    view.showMessage(QStringLiteral("message"));
    QTest::qWait(50);
    QCOMPARE(view.toPlainText(), QStringLiteral("message"));
}

void SafeHtmlViewTest::longTextIsBoundedOnScreenOnly()
{
    const qsizetype bound = SafeHtmlView::maxShownRun;
    // An entity at the bound is one character and is never cut in two.
    const QByteArray page = "<b>" + QByteArray(bound - 1, 'x') + "&amp;" + QByteArray(1000000, 'y') + "</b><i>next</i>";
    const QString path = writeFile(QStringLiteral("page.html"), page);
    RecordingView view;
    QVERIFY(view.loadPage(path));
    QCOMPARE(view.toPlainText(), QString(bound - 1, u'x') + QStringLiteral(u"&\u2026next"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), page);
}

QTEST_MAIN(SafeHtmlViewTest)
#include "safehtmlview_test.moc"
