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

// True for a text in double quotes as a whole.
bool IsQuoted(const WString& text)
{
    const int length = text.GetLength();
    return length >= 2 && text.GetAt(0) == u'"' && text.GetAt(length - 1) == u'"';
}

// An argument as a user would have typed it into one command line: an option "-NAME=value" whose value
// holds a space gets quotes around its value, so that the option matcher reads the whole value; any other
// argument with a space is quoted whole. What is quoted already keeps its quotes and gets no more.
WString QuotedArgument(const WString& argument)
{
    const WString space(u" ");
    const WString quote(u"\"");
    if (argument.Find(space) < 0 || IsQuoted(argument))
        return argument;
    const int equals = argument.Find(WString(u"="));
    const bool option = argument.GetAt(0) == u'-' && equals > 1 && argument.Left(equals).Find(space) < 0;
    if (!option)
        return quote + argument + quote;
    const WString value = argument.Mid(equals + 1);
    if (IsQuoted(value))
        return argument;
    return argument.Left(equals + 1) + quote + value + quote;
}

// Whether the text holds the pattern at the position.
bool HoldsAt(const WString& text, int position, const WString& pattern)
{
    const int length = pattern.GetLength();
    if (position + length > text.GetLength())
        return false;
    for (int i = 0; i < length; ++i)
    {
        if (text.GetAt(position + i) != pattern.GetAt(i))
            return false;
    }
    return true;
}

// The first position where an argument begins with the option outside double quotes, or -1.
int FindOptionStart(const WString& line, const WString& option)
{
    bool quoted = false;
    const int length = line.GetLength();
    for (int i = 0; i < length; ++i)
    {
        const char16_t c = line.GetAt(i);
        if (c == u'"')
            quoted = !quoted;
        else if (!quoted && (i == 0 || line.GetAt(i - 1) == u' ') && HoldsAt(line, i, option))
            return i;
    }
    return -1;
}
} // namespace

bool FindOption(const WString& commandLine, const WString& option, WString& value)
{
    value = WString();
    const int optionLength = option.GetLength();
    if (optionLength < 2 || option.GetAt(0) != u'-')
        return false;
    // The options are written in upper case, so the match ignores case.
    const int found = FindOptionStart(commandLine.ToUpper(), option.ToUpper());
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
    {
        ZQ::ProcessExitValue = kExitDriverTooOldOrEngineError;
        throw ZQ::Exception<ZQ::FailedResultException>(
            "Failed Result : " + ZQ::ResultToString(result) +
            " : LUpdateProcessor::Initialize : Engine\\UpdateProcessor : Line 53");
    }
    (void)mEngine->GetUpdateResult(true);

    const bool reportStatus = HasOption(kReturnUpdateModeStatus);
    if (mEngine->GetState() == LUpdateEngineInterface::kStateError)
    {
        // The driver is too old (or an earlier update failed): the window shows why.
        if (!reportStatus)
        {
            ZQ::ProcessExitValue = kExitDriverTooOldOrEngineError;
            return result;
        }
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
    if (RunRequestedUpdate() == ZQ_E_APP_WORK_DONE)
        return ZQ_E_APP_WORK_DONE;
    // The window opens; the user's closing it ends the program with 0. Should it not open, the program
    // ends with the reason it was needed.
    ZQ::ProcessExitValue = ExitValueWithoutWindow();
    return S_OK;
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

int32_t LUpdateProcessor::ExitValueWithoutWindow()
{
    const int32_t state = mEngine->GetState();
    if (state == LUpdateEngineInterface::kStateError)
        return kExitDriverTooOldOrEngineError;
    if (state <= LUpdateEngineInterface::kStateDevicesFound)
        return kExitNoDevice;
    if (mEngine->GetFirmwareFileState() != LUpdateEngineInterface::kFileValid)
        return kExitFirmwareFileInvalid;
    return kExitNoWindow;
}

ZQRESULT LUpdateProcessor::RunRequestedUpdate()
{
    if (mEngine->GetState() <= LUpdateEngineInterface::kStateError ||
        mEngine->GetFirmwareFileState() != LUpdateEngineInterface::kFileValid)
        return S_OK;
    const bool proceed = mEngine->IsUpdateNeeded() || GetAlwaysUpdate();
    if (!proceed && HasOption(kSilentIfUpdateNotNeeded))
    {
        ZQ::ProcessExitValue = 0;
        return ZQ_E_APP_WORK_DONE;
    }
    const bool silent = HasOption(kSilent);
    const bool automatic = HasOption(kStartUpdateAutomatically);
    bool started = false;
    if (proceed && (silent || automatic))
    {
        if (mEngine->GetState() == LUpdateEngineInterface::kStateNormalMode)
        {
            (void)mEngine->StartEnterUpdateMode();
            if (mEngine->GetState() == LUpdateEngineInterface::kStateUpdateMode)
                started = ZQ::Succeeded(mEngine->StartUpdate());
        }
        else
        {
            started = ZQ::Succeeded(mEngine->StartUpdate());
        }
    }
    if (!silent)
        return S_OK;
    if (!proceed)
        ZQ::ProcessExitValue = 0;
    else if (!started)
        ZQ::ProcessExitValue = kExitUpdateNotStarted;
    else
        ZQ::ProcessExitValue = FinishTransfer();
    return ZQ_E_APP_WORK_DONE;
}

bool LUpdateProcessor::InterruptTransfer()
{
    if (mInterrupted.load() || ZQ::Failed(mEngine->RequestAbort()))
        return false;
    mInterrupted.store(true);
    return true;
}

int32_t LUpdateProcessor::FinishTransfer()
{
    if (ZQ::Failed(mEngine->WaitForTaskWhileProgressing(kSilentUpdateWait)))
    {
        // Stalled: ended as the abort button ends it, so that the driver's update handling is switched off.
        // A task that does not even end then is given up after as long again.
        (void)mEngine->RequestAbort();
        (void)mEngine->WaitForTaskWhileProgressing(kSilentUpdateWait);
        return kExitTransferFailed;
    }
    return mEngine->GetUpdateResult(false) == LUpdateEngineInterface::kResultDone ? 0 : kExitTransferFailed;
}
