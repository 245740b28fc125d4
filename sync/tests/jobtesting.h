#pragma once

// Runs a job to its end; one that never finishes fails the test instead of hanging it.

#include "sync/davjobs.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <memory>

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
