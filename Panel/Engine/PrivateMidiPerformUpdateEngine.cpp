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

    WString path;
    (void)GetFirmwareFilePath(path);
    std::vector<uint8_t> image;
    // An empty image would leave the device without firmware: it is no update.
    if (!ReadWholeFile(path, image) || image.empty())
    {
        pipe.reset();
        (void)SetDriverUpdateRequest(record, false);
        FailUpdate(kReasonFileAccess);
        return E_FAIL;
    }

    const ZQRESULT result = SendImage(image, *pipe);
    pipe.reset();
    (void)SetDriverUpdateRequest(record, false);

    // An abort, whether it stopped the pieces or came after the last one, leaves the device in update
    // mode, ready for another try; the worker posts the one completion notification.
    if (result == E_ABORT || (ZQ::Succeeded(result) && IsAbortRequested()))
    {
        SetUpdateResult(kResultAborted);
        SetState(kStateUpdateMode);
        return E_ABORT;
    }
    if (ZQ::Failed(result))
    {
        FailUpdate(kReasonDeviceAccess);
        return result;
    }
    SetUpdateResult(kResultDone);
    return result;
}

ZQRESULT LPrivateMidiPerformUpdateEngine::SendImage(const std::vector<uint8_t>& image, PrivateMidi& pipe)
{
    const size_t total = image.size();
    const size_t chunk = std::max<size_t>(GetChunkSize(), 1);
    const size_t pieces = total / chunk + (total % chunk != 0 ? 1 : 0);
    size_t position = 0;
    for (size_t i = 0; i < pieces; ++i)
    {
        if (IsAbortRequested())
            break;
        const size_t length = i + 1 < pieces ? chunk : total - (pieces - 1) * chunk;
        const uint8_t* piece = image.data() + position;
        position += length;
        if (length > 0 && pipe.Send(kPipePort, piece, static_cast<uint32_t>(length)) != 0)
            return E_FAIL;
        PostProgress(0, std::min(1.0, static_cast<double>(position) / static_cast<double>(total)), true, -1,
                     false, WString());
        PauseAfterChunk();
    }
    return IsAbortRequested() ? E_ABORT : S_OK;
}

void LPrivateMidiPerformUpdateEngine::FailUpdate(int32_t reason)
{
    SetUpdateResult(kResultFailed);
    SetSelectedDeviceReason(reason);
    SetState(kStateError);
}
