#pragma once

#include <QUrl>

// Where the program may talk to a server and where it may send the user's password.

// Plain http would carry the password readable by anyone on the way; it is allowed only to this
// machine, where a local server or a test runs.
[[nodiscard]] bool isLoopbackHost(const QString& host);
[[nodiscard]] bool isAcceptedServerAddress(const QUrl& url);

// The address as the user typed it into the set-up dialog or on the command line: "dav.example.org"
// or "dav.example.org/remote.php/dav" mean https; an address the program may not use gives an empty URL.
[[nodiscard]] QUrl serverAddressFromUserText(const QString& text);

// scheme, host and port, with the scheme's default port filled in.
[[nodiscard]] bool isSameOrigin(const QUrl& left, const QUrl& right);

// A server may move us only within the origin we asked: another port or scheme is another server,
// which the account's password and the user's tasks were never meant for.
[[nodiscard]] bool isAcceptedRedirect(const QUrl& from, const QUrl& to);

// Whether `url` names something inside the collection `folder` (not the folder itself), on its origin.
[[nodiscard]] bool isInside(const QUrl& url, const QUrl& folder);
