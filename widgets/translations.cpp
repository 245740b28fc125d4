#include "widgets/translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <functional>

namespace {

void installIfLoaded(QCoreApplication& app, const std::function<bool(QTranslator&)>& load)
{
    auto* translator = new QTranslator(&app);
    if (load(*translator))
        QCoreApplication::installTranslator(translator);
    else
        delete translator;
}

} // namespace

void installTranslations(QCoreApplication& app)
{
    const QLocale locale;
    // Counted texts ("%n task(s)") take their English plural forms from a catalogue too; the
    // user's language, installed later, is looked up first.
    installIfLoaded(app, [](QTranslator& own) { return own.load(QStringLiteral(":/i18n/taskwyn_en")); });
    installIfLoaded(app, [&locale](QTranslator& own) {
        return own.load(locale, QStringLiteral("taskwyn"), QStringLiteral("_"), QStringLiteral(":/i18n"));
    });
    // Qt's standard buttons and dialogs (the colour picker, Yes/No) speak the same language.
    installIfLoaded(app, [&locale](QTranslator& qt) {
        return qt.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                       QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    });
}
