#pragma once

// Running asynchronous jobs to their end in tests, within a deadline so that a job that never
// finishes fails its test instead of hanging it.

#include "sync/davjobs.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

inline DavJob::Outcome runJob(DavJob& job)
{
    QSignalSpy finished(&job, &DavJob::finished);
    job.start();
    EXPECT_TRUE(finished.wait(20000)) << "the job never finished";
    EXPECT_EQ(finished.size(), 1);
    return job.outcome();
}

template <typename Job, typename... Arguments> std::unique_ptr<Job> ranJob(Arguments&&... arguments)
{
    auto job = std::make_unique<Job>(std::forward<Arguments>(arguments)...);
    runJob(*job);
    return job;
}
