#pragma once

// Forward declarations of the application framework library. Owners of further classes of this folder
// ask for their lines to be added here.
namespace ZQ
{
class MFCFrameworkAppBase;
class Version;
class IIniFileManager;
class LIniFileManager;
class CIniFileManagerProxy;
} // namespace ZQ
