#pragma once

#include "alertpage/frmstartup.h"
#include "ical/exchange.h"
#include "os/fileerror.h"
#include "store/module1.h"

#include <QString>

// The user's words, in the user's language, for what the file helpers, the store and the attention
// page report as facts.
QString failureReasonText(const FailureReason& reason);
QString fileFailureText(const FileFailure& failure);
QString pageFailureText(const PageFailure& failure);

// Why a load or a save failed, or what the user should know about one that worked; empty when
// there is nothing to tell.
QString loadFailureText(const LoadReport& report);
QString loadNoticeText(const LoadReport& report);
QString saveFailureText(const SaveReport& report);
QString saveNoticeText(const SaveReport& report);

// Why files chosen or dropped for import cannot be imported; empty when they can.
QString calendarReadFailureText(const ical::CalendarFiles& read);
// Why an import of `file` did not work; empty when it did.
QString importFailureText(const ical::ImportReport& report, const std::filesystem::path& file);
// What an import did, in one sentence: "12 tasks imported, 3 already here, 2 events skipped".
QString importSummaryText(const ical::ImportSummary& summary);
