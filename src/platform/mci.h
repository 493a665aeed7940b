#pragma once

#include <cstdint>
#include <string_view>

namespace vornap::platform {

// The MCI string interface: a command text, an answer buffer of a given
// length (may be null with length 0) and a result code, 0 for success.
class Mci {
public:
    virtual ~Mci() = default;
    virtual std::uint32_t sendString(std::string_view command, char* answer,
                                     std::uint32_t answerLength) = 0;
};

// MCI result codes the player and the device layer use.
namespace mcierr {
inline constexpr std::uint32_t ok = 0;
inline constexpr std::uint32_t hardware = 262;
inline constexpr std::uint32_t invalidDeviceName = 263;
inline constexpr std::uint32_t unrecognizedKeyword = 259;
inline constexpr std::uint32_t unrecognizedCommand = 261;
inline constexpr std::uint32_t unsupportedFunction = 274;
inline constexpr std::uint32_t deviceNotReady = 276;
inline constexpr std::uint32_t missingCommandString = 267;
inline constexpr std::uint32_t paramOverflow = 268;
inline constexpr std::uint32_t missingStringArgument = 269;
inline constexpr std::uint32_t badInteger = 270;
inline constexpr std::uint32_t missingParameter = 273;
inline constexpr std::uint32_t cannotUseAll = 279;
inline constexpr std::uint32_t outOfRange = 282;
inline constexpr std::uint32_t duplicateAlias = 289;
inline constexpr std::uint32_t badTimeFormat = 293;
inline constexpr std::uint32_t mustUseShareable = 291;
inline constexpr std::uint32_t invalidFile = 296;
} // namespace mcierr

} // namespace vornap::platform
