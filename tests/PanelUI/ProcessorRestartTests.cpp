#include "PanelUI/UpdaterBench.h"

#include <gtest/gtest.h>

namespace UpdaterTest
{
namespace
{
TEST(ProcessorRestartTests, AStartWithADriverTooOldStillGivesTheDefinitionsForLaterScans)
{
    const ZQ::RCPtr<ScriptedEngine> engine = ScriptedEngine::Create();
    const ZQ::RCPtr<LUpdateProcessor> processor =
        LUpdateProcessor::Create(ZQ::RCPtr<LUpdateEngineInterface>(engine));
    engine->driverTooOld = true;
    engine->reason = Engine::kReasonDriverTooOld;

    ASSERT_EQ(processor->Initialize(u""), S_OK);
    EXPECT_EQ(engine->GetState(), Engine::kStateError);
    EXPECT_EQ(engine->DefinitionCount(), 1u);
    EXPECT_EQ(engine->scans, 0);

    // Still too old: the error state and its reason stay.
    ASSERT_EQ(processor->Reinitialize(), S_OK);
    int32_t reason = 0;
    (void)engine->GetCannotUpdateReason(reason);
    EXPECT_EQ(engine->GetState(), Engine::kStateError);
    EXPECT_EQ(reason, Engine::kReasonDriverTooOld);

    // A newer driver: the restart scans with the definitions.
    engine->driverTooOld = false;
    engine->reason = Engine::kReasonNone;
    ASSERT_EQ(processor->Reinitialize(), S_OK);
    EXPECT_EQ(engine->GetState(), Engine::kStateNoDevice);
    EXPECT_EQ(engine->DefinitionCount(), 1u);
    EXPECT_EQ(engine->scans, 1);
    (void)ZQ::GetDefaultNotificationCenter()->Flush();
}

TEST(ProcessorRestartTests, TryAgainWithTheDriverStillTooOldKeepsItsText)
{
    StubSiblingLauncher sibling;
    UpdaterBench bench;
    bench.EngineOf->driverTooOld = true;
    bench.EngineOf->reason = Engine::kReasonDriverTooOld;
    bench.EngineOf->updateNeeded = false;
    ASSERT_EQ(bench.Processor->Initialize(u""), S_OK);
    bench.Show();
    bench.Deliver();
    const std::string driverText = bench.TextOf(u"labelDeviceCannotUpdateError", u"LABEL_DRIVER_IS_TOO_OLD");
    ASSERT_EQ(bench.Text(u"labelDeviceCannotUpdateError"), driverText);

    bench.Click(u"buttonReinitialize");
    bench.Deliver();

    EXPECT_EQ(bench.EngineOf->GetState(), Engine::kStateError);
    EXPECT_EQ(bench.Text(u"labelDeviceCannotUpdateError"), driverText);
    EXPECT_TRUE(bench.Visible(u"labelDeviceCannotUpdateError"));
}
} // namespace
} // namespace UpdaterTest
