#include "Panel/Engine/UpdateProcessor.h"

#include "Panel/Engine/DeviceSpecificInfo/DeviceSpecificInfo.h"
#include "Panel/Engine/PrivateMidiPerformUpdateEngine.h"
#include "ZQFramework/Application/FrameworkServices.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/Utilities/Storage/Array.h"

#include <string>

using ZQ::RCPtr;
using ZQ::WString;

namespace
{
constexpr const char16_t* kAlwaysUpdate = u"-ALWAYS_UPDATE";
constexpr const char16_t* kReturnUpdateModeStatus = u"-RETURN_UPDATE_MODE_STATUS";
constexpr const char16_t* kSilentIfUpdateNotNeeded = u"-SILENT_IF_UPDATE_NOT_NEEDED";
constexpr const char16_t* kSilent = u"-SILENT";
constexpr const char16_t* kStartUpdateAutomatically = u"-START_UPDATE_AUTOMATICALLY";
constexpr const char16_t* kAbsoluteFirmwareFilePath = u"-ABSOLUTE_FIRMWARE_FILE_PATH=";
constexpr const char16_t* kFirmwareImageName = u"-FIRMWARE_IMAGE_NAME=";

std::u16string ToStd(const WString& text)
{
    return std::u16string(text.GetBuffer(), static_cast<size_t>(text.GetLength()));
}

char16_t ToUpperAscii(char16_t c)
{
    return c >= u'a' && c <= u'z' ? static_cast<char16_t>(c - u'a' + u'A') : c;
}

// UTF-8 to UTF-16; a malformed sequence gives U+FFFD.
std::u16string FromUtf8(const char* text)
{
    std::u16string out;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (*p != 0)
    {
        uint32_t code = *p;
        int extra = code < 0x80         ? 0
                    : (code >> 5) == 6  ? 1
                    : (code >> 4) == 14 ? 2
                    : (code >> 3) == 30 ? 3
                                        : -1;
        if (extra < 0)
        {
            out += u'\uFFFD';
            ++p;
            continue;
        }
        code &= extra == 0 ? 0x7F : (0x3F >> extra);
        ++p;
        bool valid = true;
        for (int i = 0; i < extra; ++i, ++p)
        {
            if ((*p & 0xC0) != 0x80)
            {
                valid = false;
                break;
            }
            code = (code << 6) | (*p & 0x3F);
        }
        if (!valid || code > 0x10FFFF)
            out += u'\uFFFD';
        else if (code >= 0x10000)
        {
            code -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (code >> 10));
            out += static_cast<char16_t>(0xDC00 + (code & 0x3FF));
        }
        else
            out += static_cast<char16_t>(code);
    }
    return out;
}
} // namespace

bool FindOption(const WString& commandLine, const WString& option, WString& value)
{
    value = WString();
    const std::u16string line = ToStd(commandLine);
    std::u16string wanted = ToStd(option);
    if (wanted.size() < 2 || wanted[0] != u'-')
        return false;
    std::u16string upper = line;
    for (auto& c : upper)
        c = ToUpperAscii(c);
    for (auto& c : wanted)
        c = ToUpperAscii(c);
    const size_t found = upper.find(wanted);
    if (found == std::u16string::npos)
        return false;
    const size_t end = found + wanted.size();
    if (wanted.back() != u'=')
        return end == line.size() || line[end] == u' ';
    if (end < line.size() && line[end] == u' ')
        return false;
    if (end < line.size() && line[end] == u'"')
    {
        // A quoted value is taken without its quotes, so that a path may hold spaces.
        const size_t close = line.find(u'"', end + 1);
        const size_t stop = close == std::u16string::npos ? line.size() : close;
        value = WString(line.substr(end + 1, stop - end - 1).c_str());
        return true;
    }
    const size_t space = line.find(u' ', end);
    const size_t stop = space == std::u16string::npos ? line.size() : space;
    value = WString(line.substr(end, stop - end).c_str());
    return true;
}

WString BuildCommandLine(int argc, const char* const* argv)
{
    std::u16string line;
    for (int i = 1; i < argc; ++i)
    {
        const std::u16string argument = FromUtf8(argv[i] != nullptr ? argv[i] : "");
        if (!line.empty())
            line += u' ';
        if (argument.find(u' ') != std::u16string::npos)
            line += u'"' + argument + u'"';
        else
            line += argument;
    }
    return WString(line.c_str());
}

RCPtr<LUpdateProcessor> LUpdateProcessor::Create()
{
    return RCPtr<LUpdateProcessor>(new LUpdateProcessor());
}

LUpdateProcessor::LUpdateProcessor() : mEngine(LPrivateMidiPerformUpdateEngine::Create())
{
}

LUpdateProcessor::~LUpdateProcessor() = default;

ZQRESULT LUpdateProcessor::SetAlwaysUpdate(bool alwaysUpdate)
{
    return mAlwaysUpdate.exchange(alwaysUpdate) == alwaysUpdate ? S_FALSE : S_OK;
}

bool LUpdateProcessor::HasOption(const char16_t* option) const
{
    WString value;
    ZQ::MutexLocker locker(mLock);
    return FindOption(mCommandLine, option, value);
}

ZQRESULT LUpdateProcessor::Reinitialize()
{
    WString commandLine;
    {
        ZQ::MutexLocker locker(mLock);
        commandLine = mCommandLine;
    }
    return Initialize(commandLine);
}

ZQRESULT LUpdateProcessor::Initialize(const WString& commandLine)
{
    {
        ZQ::MutexLocker locker(mLock);
        if (mCommandLine.IsEmpty())
        {
            mCommandLine = commandLine;
            WString ignored;
            if (FindOption(mCommandLine, kAlwaysUpdate, ignored))
                mAlwaysUpdate = true;
        }
    }
    const ZQRESULT result = mEngine->Initialize(commandLine);
    if (ZQ::Failed(result))
        throw ZQ::Exception<ZQ::FailedResultException>(
            "Failed Result : " + ZQ::ResultToString(result) +
            " : LUpdateProcessor::Initialize : Engine\\UpdateProcessor : Line 53");
    (void)mEngine->GetUpdateResult(true);

    const bool reportStatus = HasOption(kReturnUpdateModeStatus);
    if (mEngine->GetState() == LUpdateEngineInterface::kStateError)
    {
        // The driver is too old (or an earlier update failed): the window shows why.
        if (!reportStatus)
            return result;
        ZQ::ProcessExitValue = kExitNoDeviceOrDriverTooOld;
        return ZQ_E_APP_WORK_DONE;
    }

    SetUpFirmwareFile();
    if (mEngine->GetState() == LUpdateEngineInterface::kStateNoDefinitions)
    {
        ZQ::Array<LUpdateEngineInterface::DeviceDefinition> definitions;
        definitions.Add(DeviceSpecificInfo::MakeDeviceDefinition());
        (void)mEngine->SetDeviceDefinitions(definitions);
    }
    if (mEngine->GetState() == LUpdateEngineInterface::kStateNoDevice)
        (void)mEngine->ScanForDevices();

    if (reportStatus)
    {
        const int32_t status = UpdateModeStatus();
        if (status != 0)
            ZQ::ProcessExitValue = status;
        return ZQ_E_APP_WORK_DONE;
    }
    const ZQRESULT run = RunRequestedUpdate();
    return run == ZQ_E_APP_WORK_DONE ? run : S_OK;
}

void LUpdateProcessor::SetUpFirmwareFile()
{
    WString path;
    WString value;
    ZQ::MutexLocker locker(mLock);
    if (FindOption(mCommandLine, kAbsoluteFirmwareFilePath, value))
    {
        path = value;
    }
    else
    {
        // An image name option without a value names no file: the default one is used.
        const bool named = FindOption(mCommandLine, kFirmwareImageName, value) && !value.IsEmpty();
        path = ZQ::MFCFrameworkApp::GetFolder(ZQ::MFCFrameworkApp::kProgramFolder) + WString(u"/") +
               (named ? value : WString(DeviceSpecificInfo::kDefaultFirmwareFileName));
    }
    if (!path.IsEmpty())
        (void)mEngine->SetFirmwareFilePath(path);
}

int32_t LUpdateProcessor::UpdateModeStatus()
{
    switch (mEngine->GetState())
    {
    case LUpdateEngineInterface::kStateNoDevice:
        return kExitNoDeviceOrDriverTooOld;
    case LUpdateEngineInterface::kStateUpdateMode:
        return mEngine->IsUpdateNeeded() ? kExitUpdateModeNeeded : kExitUpdateModeNotNeeded;
    case LUpdateEngineInterface::kStateNormalMode:
        return mEngine->IsUpdateNeeded() ? kExitNormalModeNeeded : kExitNormalModeNotNeeded;
    default:
        return 0;
    }
}

ZQRESULT LUpdateProcessor::RunRequestedUpdate()
{
    if (mEngine->GetState() <= LUpdateEngineInterface::kStateError ||
        mEngine->GetFirmwareFileState() != LUpdateEngineInterface::kFileValid)
        return S_OK;
    const bool proceed = mEngine->IsUpdateNeeded() || GetAlwaysUpdate();
    if (!proceed && HasOption(kSilentIfUpdateNotNeeded))
        return ZQ_E_APP_WORK_DONE;
    const bool silent = HasOption(kSilent);
    const bool automatic = HasOption(kStartUpdateAutomatically);
    if (proceed && (silent || automatic))
    {
        if (mEngine->GetState() == LUpdateEngineInterface::kStateNormalMode)
        {
            (void)mEngine->StartEnterUpdateMode();
            if (mEngine->GetState() == LUpdateEngineInterface::kStateUpdateMode)
                (void)mEngine->StartUpdate();
        }
        else
        {
            (void)mEngine->StartUpdate();
        }
    }
    if (!silent)
        return S_OK;
    (void)mEngine->WaitForTask(kSilentUpdateWait);
    return ZQ_E_APP_WORK_DONE;
}
