#include "Support/SimulatorFixture.h"

#include "Panel/Engine/BrevikDriverDiscovery.h"
#include "Panel/Engine/PrivateMidi.h"
#include "Panel/Engine/PrivateMidiPerformUpdateEngine.h"
#include "ZQFramework/Notification/NotificationCenter.h"
#include "ZQFramework/Notification/NotificationCenterManager.h"

#include <benchmark/benchmark.h>
#include <chrono>

namespace
{
// Reaches the engine's sending step without a device scan.
class SendingEngine : public LPrivateMidiPerformUpdateEngine
{
public:
    using LPrivateMidiPerformUpdateEngine::SendImage;
};

// The time to hand an image to the simulated driver, as a ratio to the pacing bound (pieces x 20 ms):
// close to 1 when the engine's own work vanishes beside the pauses.
void SendImageThroughThePipe(benchmark::State& state)
{
    TestSupport::TempEnvironment environment;
    Simulator::Mixer mixer;
    mixer.Start();
    BrevikDriverDeviceInfo record;
    if (FindDriverDevice(1000, record, u"{d58471f8-2a4c-4860-a699-48bfb73a6313}", 0x15E4, 0x8007,
                         BrevikInstanceId{}) != 0 ||
        !SetDriverUpdateRequest(record, true))
    {
        state.SkipWithError("the simulated driver was not found");
        return;
    }
    ZQ::RCPtr<SendingEngine> engine(new SendingEngine());
    (void)engine->Initialize(ZQ::WString());
    const std::vector<uint8_t> image(static_cast<size_t>(state.range(0)), 0x5A);
    const double pieces = static_cast<double>((image.size() + 127) / 128);
    double ratio = 0;
    for (auto _ : state)
    {
        PrivateMidi pipe(record);
        (void)pipe.OpenPort(0);
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(engine->SendImage(image, pipe));
        const std::chrono::duration<double, std::milli> took = std::chrono::steady_clock::now() - start;
        ratio = took.count() / (pieces * 20.0);
        (void)ZQ::GetDefaultNotificationCenter()->Flush();
    }
    state.counters["ratio_to_pacing"] = ratio;
    state.counters["bytes"] = static_cast<double>(image.size());
    (void)SetDriverUpdateRequest(record, false);
}
BENCHMARK(SendImageThroughThePipe)
    ->Arg(16 * 1024)
    ->Arg(256 * 1024)
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
} // namespace
