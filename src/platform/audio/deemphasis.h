#pragma once

#include <cstdint>

namespace vornap::platform::audio {

// The 50/15 us de-emphasis of CD audio mastered with pre-emphasis: a
// treble-cutting shelf, 1 at DC falling towards 15/50. One instance follows
// one continuous run of interleaved stereo sound; its state carries over from
// one call to the next.
class Deemphasis {
public:
    Deemphasis();

    // Filters in place, rounding and saturating to 16 bits.
    void process(std::int16_t* interleaved, std::int64_t samples);
    // As after silence: the start of a play.
    void reset();
    // As after a steady level of `frame` (one stereo pair): sound that went
    // out unfiltered continues into a filtered stretch without a click.
    void settleAt(const std::int16_t* frame);

private:
    double m_b0, m_b1, m_a1;
    double m_x1[2] = {0, 0}; // last input per channel
    double m_y1[2] = {0, 0}; // last output per channel
};

} // namespace vornap::platform::audio
