// The wait after handing an address to the browser: one launch per address,
// and the verdicts the timer ticks give from the application's activation.
#include "framework/app/UrlLauncher.h"

#include <gtest/gtest.h>

using Zolt::UrlLauncher;
using Verdict = Zolt::UrlLauncher::Verdict;

TEST(UrlLauncher, SameAddressIsNotOpenedTwiceWhileAwaited)
{
    UrlLauncher url;
    EXPECT_TRUE(url.Begin("https://example.org/a", true, 1000));
    EXPECT_FALSE(url.Begin("https://example.org/a", false, 2000));
    EXPECT_TRUE(url.QuitsAfter()) << "the refused call changed nothing";
    EXPECT_TRUE(url.Begin("https://example.org/b", false, 3000)) << "another address replaces it";
    EXPECT_EQ(url.Url(), "https://example.org/b");
    url.End();
    EXPECT_FALSE(url.IsPending());
    EXPECT_TRUE(url.Begin("https://example.org/b", false, 4000));
}

TEST(UrlLauncher, LeavingTheForegroundMeansLaunchedAndStayingInFrontMeansFailed)
{
    UrlLauncher url;
    const uint32_t tickRun = 0; // ticks have run steadily since 0
    EXPECT_EQ(url.Judge(20000, tickRun, false), Verdict::Waiting) << "nothing awaited";
    url.Begin("https://example.org", false, 10000);
    EXPECT_EQ(url.Judge(18000, tickRun, false), Verdict::Waiting);
    EXPECT_EQ(url.Judge(18001, tickRun, false), Verdict::Launched);
    EXPECT_EQ(url.Judge(22000, tickRun, true), Verdict::Waiting);
    EXPECT_EQ(url.Judge(22001, tickRun, true), Verdict::Failed);
    // Ticks that only just started again (after a stall) judge nothing.
    EXPECT_EQ(url.Judge(30000, 25000, true), Verdict::Waiting);
    EXPECT_EQ(url.Judge(30001, 25000, true), Verdict::Failed);
}
