#include "widgets/safehtmlview.h"

#include <QFile>
#include <QImage>

namespace {

QImage transparentPixel()
{
    QImage pixel(1, 1, QImage::Format_ARGB32);
    pixel.fill(Qt::transparent);
    return pixel;
}

QString tooLarge()
{
    return QStringLiteral("The page is larger than %1 MiB.").arg(SafeHtmlView::maxPageBytes >> 20);
}

} // namespace

SafeHtmlView::SafeHtmlView(QWidget* parent) : QTextBrowser(parent)
{
    setOpenLinks(false);
    setOpenExternalLinks(false);
}

bool SafeHtmlView::loadPage(const QString& path)
{
    QFile file(path);
    QByteArray bytes;
    if (!file.open(QIODevice::ReadOnly)) {
        errorString_ = file.errorString();
    } else if (file.size() > maxPageBytes) {
        errorString_ = tooLarge();
    } else {
        // One byte past the limit tells a file that grew after the size check.
        bytes = file.read(maxPageBytes + 1);
        errorString_ = file.error() != QFileDevice::NoError ? file.errorString()
                       : bytes.size() > maxPageBytes        ? tooLarge()
                                                            : QString();
    }
    setHtml(errorString_.isEmpty() ? QString::fromUtf8(bytes) : QString());
    return errorString_.isEmpty();
}

void SafeHtmlView::showMessage(const QString& text)
{
    errorString_.clear();
    setPlainText(text);
}

QVariant SafeHtmlView::loadResource(int type, const QUrl&)
{
    // An image must decode to a real one: for an empty or broken image the document's image handler
    // falls back to reading the named file itself.
    if (type == QTextDocument::ImageResource)
        return transparentPixel();
    return QVariant(QByteArray(""));
}

void SafeHtmlView::doSetSource(const QUrl&, QTextDocument::ResourceType) {}
