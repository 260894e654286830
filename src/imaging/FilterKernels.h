#pragma once

// Row loops of the pixel filters. Pixels are 32-bit words 0xAARRGGBB (memory
// order B, G, R, A on little-endian machines); alpha passes through. Each
// loop exists as a plain version and, where the processor has them, as
// vector versions that give the same bytes.

#include <array>
#include <cstdint>

namespace FilterKernels {

enum class TPath {
    Scalar,
    Avx2,
    Avx512, // AVX-512 with byte permutes (VBMI)
};

// The fastest path this processor runs, never beyond `limit`.
TPath BestPath(TPath limit = TPath::Avx512);
bool Supported(TPath path);

// Blue, green and red through one table of 256 bytes; the same table as
// words for the loops that gather.
struct TByteTable {
    explicit TByteTable(const std::array<std::uint8_t, 256>& table);
    std::array<std::uint8_t, 256> T{};
    std::array<std::uint32_t, 256> Words{};
};
void MapChannels(std::uint32_t* row, int count, const TByteTable& table, TPath path);

// grey = (blue + green + red) div 3; blue, green and red become those of
// colour grey of the table, given as 0x00RRGGBB words (and split into
// channels for the loops that permute bytes).
struct TGreyTable {
    explicit TGreyTable(const std::array<std::uint32_t, 256>& colours);
    std::array<std::uint32_t, 256> Words{};
    std::array<std::uint8_t, 256> B{}, G{}, R{};
};
void MapGrey(std::uint32_t* row, int count, const TGreyTable& table, TPath path);

// FilterHSL's per-pixel step with finite shifts; callers hold round-to-
// nearest.
void ShiftRow(std::uint32_t* row, int count, float dH, float dS, float dL, TPath path);

} // namespace FilterKernels
