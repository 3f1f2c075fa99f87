#pragma once

#include "Panel/Engine/UpdateEngine.h"

#include <cstdint>
#include <vector>

class PrivateMidi;

// The engine of the Tavrin DJ Q3300 Splen: found and identified over its MIDI ports like any MIDI device,
// but updated through the maker's driver: the driver's update handling is switched on, the image goes
// through port 0 of the driver's private pipe in pieces, and the handling is switched off again. Made by
// the update processor, which hands it to the application.
class LPrivateMidiPerformUpdateEngine : public LUpdateEngine
{
public:
    // How long the update looks for the attached driver instance.
    static constexpr uint32_t kDriverSearchWait = 50;
    static constexpr uint32_t kPipePort = 0;

    [[nodiscard]] static ZQ::RCPtr<LUpdateEngineInterface> Create();
    ~LPrivateMidiPerformUpdateEngine() override;

    ZQRESULT PerformUpdate() override;

protected:
    LPrivateMidiPerformUpdateEngine();

    // Hands the image to the pipe piece by piece, pacing by the chunk pause and posting progress after each
    // piece; E_FAIL when a piece is refused, E_ABORT when an abort was requested.
    ZQRESULT SendImage(const std::vector<uint8_t>& image, PrivateMidi& pipe);
};
