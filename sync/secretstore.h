#pragma once

#include <QHash>
#include <QObject>
#include <QString>

#include <functional>

// The account passwords, kept by the desktop's secret store (Secret Service, KWallet) and never in
// a file or a log. Where no store answers, a password given in this run is held in memory for the
// rest of the run only, so that the user is asked once per run.
class SecretStore : public QObject
{
    Q_OBJECT

public:
    struct Answer
    {
        enum class Kind {
            Found,   // `password` holds it
            Missing, // the store answers but holds no password for the account
            NoStore, // no store answers; `detail` says why
            Failed,  // the store refused: locked, access denied; `detail` says why
        };
        Kind kind = Kind::Missing;
        QString password;
        QString detail;
        bool kept = false; // the password is (or was) kept in the secret store, not only for this run
    };
    using Reply = std::function<void(const Answer&)>;

    explicit SecretStore(QString service, QObject* parent = nullptr);

    // The name an account's password is kept under.
    static QString accountKey(const QUrl& server, const QString& user);

    // Each calls `reply` once, later, from the event loop; never before it returns.
    void read(const QString& key, Reply reply);
    void write(const QString& key, const QString& password, Reply reply);
    void remove(const QString& key, Reply reply);

    // True once a store failed to answer in this run; the store is not asked again.
    bool knownMissing() const { return noStore_; }

private:
    Answer answerFor(int error, const QString& errorString);

    QString service_;
    bool noStore_ = false;
    QHash<QString, QString> heldForThisRun_;
};

// The service the program keeps its passwords under, for the window and the command line alike.
inline const QString passwordService = QStringLiteral("taskwyn");
