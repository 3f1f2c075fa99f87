#include "Panel/Engine/UpdateProcessor.h"

#include "Panel/Engine/DeviceSpecificInfo/DeviceSpecificInfo.h"
#include "Panel/Engine/PrivateMidiPerformUpdateEngine.h"
#include "ZQFramework/Application/FrameworkServices.h"
#include "ZQFramework/ObjectBase/Exception.h"
#include "ZQFramework/System/Sync/MutexLocker.h"
#include "ZQFramework/Utilities/Storage/Array.h"
#include "ZQFramework/Utilities/Storage/StringConversion.h"

#include <cstring>
#include <vector>

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

// A UTF-8 argument as wide text. An ill-formed sequence becomes U+FFFD, byte by byte, so that an
// argument is never cut short at a bad byte (which could leave an option's name standing alone).
WString WideArgument(const char* text)
{
    const size_t size = std::strlen(text);
    // Every UTF-8 byte gives at most one UTF-16 unit.
    std::vector<char16_t> wide(size + 1, 0);
    const char* source = text;
    char16_t* target = wide.data();
    while (ZQ::Utf8ToUtf16(source, text + size, target, wide.data() + size, ZQ::ConversionMode::Lenient) !=
           ZQ::ConversionResult::Ok)
    {
        *target++ = u'\uFFFD';
        ++source;
    }
    return WString(wide.data());
}

// An argument as a user would have typed it into one command line: an option "-NAME=value" whose value
// holds a space gets quotes around its value, so that the option matcher reads the whole value; any other
// argument with a space is quoted whole.
WString QuotedArgument(const WString& argument)
{
    const WString space(u" ");
    const WString quote(u"\"");
    if (argument.Find(space) < 0)
        return argument;
    const int equals = argument.Find(WString(u"="));
    const bool option = argument.GetAt(0) == u'-' && equals > 1 && argument.Left(equals).Find(space) < 0;
    if (option)
        return argument.Left(equals + 1) + quote + argument.Mid(equals + 1) + quote;
    return quote + argument + quote;
}
} // namespace

bool FindOption(const WString& commandLine, const WString& option, WString& value)
{
    value = WString();
    const int optionLength = option.GetLength();
    if (optionLength < 2 || option.GetAt(0) != u'-')
        return false;
    // The options are written in upper case, so the match ignores case.
    const int found = commandLine.ToUpper().Find(option.ToUpper());
    if (found < 0)
        return false;
    const int length = commandLine.GetLength();
    const int end = found + optionLength;
    const char16_t next = end < length ? commandLine.GetAt(end) : u'\0';
    if (option.GetAt(optionLength - 1) != u'=')
        return next == u'\0' || next == u' ';
    if (next == u' ')
        return false;
    if (next == u'"')
    {
        // A quoted value is taken without its quotes, so that a path may hold spaces.
        const int close = commandLine.Find(WString(u"\""), end + 1);
        value = commandLine.Mid(end + 1, (close < 0 ? length : close) - end - 1);
        return true;
    }
    const int space = commandLine.Find(WString(u" "), end);
    value = commandLine.Mid(end, (space < 0 ? length : space) - end);
    return true;
}

WString BuildCommandLine(int argc, const char* const* argv)
{
    WString line;
    for (int i = 1; i < argc; ++i)
    {
        if (i > 1)
            line += u' ';
        line.Append(QuotedArgument(WideArgument(argv[i] != nullptr ? argv[i] : "")));
    }
    return line;
}

RCPtr<LUpdateProcessor> LUpdateProcessor::Create()
{
    return Create(RCPtr<LUpdateEngineInterface>(LPrivateMidiPerformUpdateEngine::Create()));
}

RCPtr<LUpdateProcessor> LUpdateProcessor::Create(const RCPtr<LUpdateEngineInterface>& engine)
{
    return RCPtr<LUpdateProcessor>(new LUpdateProcessor(engine));
}

LUpdateProcessor::LUpdateProcessor(const RCPtr<LUpdateEngineInterface>& engine) : mEngine(engine)
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
    SetUpDeviceDefinitions();
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

void LUpdateProcessor::SetUpDeviceDefinitions()
{
    // Set before the engine checks the driver: a driver found too old then leaves the error state on top
    // of the definitions, and a later start with a newer driver scans with them.
    ZQ::Array<LUpdateEngineInterface::DeviceDefinition> definitions;
    definitions.Add(DeviceSpecificInfo::MakeDeviceDefinition());
    (void)mEngine->SetDeviceDefinitions(definitions);
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
        path = ZQ::MFCFrameworkAppBase::GetFolder(ZQ::MFCFrameworkAppBase::kProgramFolder) + WString(u"/") +
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
