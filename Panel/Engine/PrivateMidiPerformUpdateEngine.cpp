#include "Panel/Engine/PrivateMidiPerformUpdateEngine.h"

#include "Panel/Engine/BrevikDriverDiscovery.h"
#include "Panel/Engine/DeviceSpecificInfo/DeviceSpecificInfo.h"
#include "Panel/Engine/PrivateMidi.h"

#include <algorithm>
#include <memory>

using ZQ::RCPtr;
using ZQ::WString;

RCPtr<LUpdateEngineInterface> LPrivateMidiPerformUpdateEngine::Create()
{
    return RCPtr<LUpdateEngineInterface>(new LPrivateMidiPerformUpdateEngine());
}

LPrivateMidiPerformUpdateEngine::LPrivateMidiPerformUpdateEngine() = default;

LPrivateMidiPerformUpdateEngine::~LPrivateMidiPerformUpdateEngine() = default;

ZQRESULT LPrivateMidiPerformUpdateEngine::PerformUpdate()
{
    SetUpdateResult(kResultRunning);

    BrevikDriverDeviceInfo record;
    if (FindDriverDevice(kDriverSearchWait, record, DeviceSpecificInfo::kDriverName,
                         DeviceSpecificInfo::kVendorId, DeviceSpecificInfo::kProductId,
                         BrevikInstanceId{}) != kFindDriverDeviceFound ||
        !SetDriverUpdateRequest(record, true))
    {
        FailUpdate(kReasonDeviceAccess);
        return E_FAIL;
    }

    auto pipe = std::make_unique<PrivateMidi>(record);
    // A port that did not open makes the first piece fail.
    (void)pipe->OpenPort(kPipePort);

    std::vector<uint8_t> image;
    if (!ReadFirmwareImage(image))
    {
        pipe.reset();
        (void)SetDriverUpdateRequest(record, false);
        FailUpdate(kReasonFileAccess);
        return E_FAIL;
    }

    const ZQRESULT sent = SendImage(image, *pipe);
    pipe.reset();
    (void)SetDriverUpdateRequest(record, false);
    return FinishUpdate(sent);
}

ZQRESULT LPrivateMidiPerformUpdateEngine::SendImage(const std::vector<uint8_t>& image, PrivateMidi& pipe)
{
    // Each piece is only handed to the driver; the chunk pause is what paces the device.
    return SendPieces(
        CutIntoPieces(image.size()), [&](size_t begin, size_t end)
        { return pipe.Send(kPipePort, image.data() + begin, static_cast<uint32_t>(end - begin)) == 0; });
}
