#include "platform/discimage/demodisc.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <numbers>
#include <vector>

namespace vornap::platform::discimage {

namespace {

constexpr double rate = 44100.0;
constexpr double twoPi = 2 * std::numbers::pi;

double midiHz(int note) {
    return 440.0 * std::pow(2.0, (note - 69) / 12.0);
}

struct Piece {
    const char* title;
    int key; // MIDI note of the tonic
    double bpm;
    int bars;
    int progression[4]; // scale degrees (0-based) of the chord roots, one per bar
    bool minorFeel;
    int lead; // 0 pluck, 1 bell
    unsigned seed;
};

const Piece pieces[] = {
    {"Morning Light", 60, 96, 16, {0, 4, 5, 3}, false, 0, 7u},
    {"Slow River", 57, 72, 12, {0, 5, 2, 6}, true, 1, 19u},
    {"Paper Kites", 55, 112, 20, {0, 3, 4, 3}, false, 0, 31u},
    {"Evening Bells", 53, 80, 13, {0, 5, 3, 4}, false, 1, 43u},
    {"Home Again", 62, 90, 15, {3, 4, 0, 0}, false, 0, 59u},
};

class Render {
public:
    explicit Render(double seconds) : l(size_t(seconds * rate) + 1, 0.0f), r(l.size(), 0.0f) {}

    // Additive voices: each partial is a rotating phasor with its own decay,
    // so a note costs a few multiplications per sample.
    void note(double start, double length, double hz, double gain, double pan, int voice) {
        struct Partial {
            double ratio, amp, decay;
        };
        std::vector<Partial> partials;
        double attack = 0.004, tail = 1.2;
        switch (voice) {
        case 0: // plucked string: bright at first, mellow as it fades
            for (int k = 1; k <= 6; ++k)
                partials.push_back({double(k), 1.0 / std::pow(k, 1.4), 1.8 + 1.4 * k});
            break;
        case 1: // soft pad of two slightly detuned voices
            for (double d : {0.9985, 1.0015})
                for (auto [k, a] : {std::pair{1.0, 0.5}, {2.0, 0.15}, {3.0, 0.06}})
                    partials.push_back({k * d, a, 0.0});
            attack = 0.5;
            tail = 1.0;
            break;
        case 2: // round bass
            partials = {{1.0, 1.0, 2.2}, {2.0, 0.25, 2.2}};
            attack = 0.01;
            tail = 0.8;
            break;
        default: // bell: the inharmonic partials of a struck bar
            partials = {{1.0, 1.0, 1.1}, {2.76, 0.45, 2.0}, {5.40, 0.25, 3.2}, {8.93, 0.12, 4.5}};
            attack = 0.002;
            tail = 2.5;
            break;
        }
        const size_t s0 = size_t(start * rate);
        const size_t n =
            std::min(size_t((length + tail) * rate), l.size() - std::min(l.size(), s0));
        const size_t held = size_t(length * rate);
        const double gl = gain * std::cos((pan + 1) * std::numbers::pi / 4);
        const double gr = gain * std::sin((pan + 1) * std::numbers::pi / 4);
        const double release = std::exp(-3.0 / rate);
        std::vector<double> c(partials.size()), sn(partials.size(), 0.0), cw(partials.size()),
            sw(partials.size()), amp(partials.size()), fall(partials.size());
        for (size_t k = 0; k < partials.size(); ++k) {
            const double w = twoPi * hz * partials[k].ratio / rate;
            c[k] = 1.0;
            cw[k] = std::cos(w);
            sw[k] = std::sin(w);
            amp[k] = partials[k].amp;
            fall[k] = std::exp(-partials[k].decay / rate);
            if (hz * partials[k].ratio > rate / 2 - 1000)
                amp[k] = 0; // nothing near or above Nyquist
        }
        double env = 0, padEnv = 1;
        const double rise = 1.0 / (attack * rate);
        for (size_t i = 0; i < n; ++i) {
            env = std::min(1.0, env + rise);
            if (voice == 1 && i >= held)
                padEnv *= release;
            double v = 0;
            for (size_t k = 0; k < partials.size(); ++k) {
                v += sn[k] * amp[k];
                const double nc = c[k] * cw[k] - sn[k] * sw[k];
                sn[k] = sn[k] * cw[k] + c[k] * sw[k];
                c[k] = nc;
                amp[k] *= fall[k];
            }
            v *= env * padEnv;
            l[s0 + i] += float(v * gl);
            r[s0 + i] += float(v * gr);
        }
    }

    // A ping-pong echo, a gentle fade at both ends and a soft limit.
    std::vector<std::int16_t> finish(double beat) {
        const size_t delay = size_t(beat * 0.75 * rate);
        std::vector<float> el(l.size(), 0.0f), er(l.size(), 0.0f);
        for (size_t i = delay; i < l.size(); ++i) {
            el[i] = 0.6f * (l[i - delay] + 0.45f * er[i - delay]);
            er[i] = 0.6f * (r[i - delay] + 0.45f * el[i - delay]);
        }
        std::vector<std::int16_t> out(l.size() * 2);
        const double fadeIn = 0.05 * rate, fadeOut = 2.5 * rate;
        for (size_t i = 0; i < l.size(); ++i) {
            double f = std::min(1.0, double(i) / fadeIn);
            f = std::min(f, double(l.size() - i) / fadeOut);
            out[2 * i] = std::int16_t(std::tanh((l[i] + 0.35 * er[i]) * 0.9) * f * 30000);
            out[2 * i + 1] = std::int16_t(std::tanh((r[i] + 0.35 * el[i]) * 0.9) * f * 30000);
        }
        return out;
    }

private:
    std::vector<float> l, r;
};

std::vector<std::int16_t> compose(const Piece& p, int frames) {
    const double seconds = frames / 75.0;
    const double beat = 60.0 / p.bpm;
    const double bar = 4 * beat;
    Render out(seconds);
    static const int major[7] = {0, 2, 4, 5, 7, 9, 11};
    const int key = p.minorFeel ? p.key + 3 : p.key; // the relative major's scale
    auto degree = [&](int d) {
        const int oct = (d >= 0 ? d / 7 : (d - 6) / 7);
        return key + 12 * oct + major[((d % 7) + 7) % 7];
    };
    unsigned state = p.seed;
    auto rnd = [&](int n) {
        state = state * 1103515245u + 12345u;
        return int((state >> 16) % unsigned(n));
    };
    int melody = 9; // a scale degree above the tonic's octave
    for (int b = 0; b < p.bars; ++b) {
        const double t0 = b * bar + 0.05;
        if (t0 + bar > seconds - 2.0)
            break;
        const int root = p.progression[b % 4] + (p.minorFeel ? 5 : 0);
        const int chord[3] = {degree(root), degree(root + 2), degree(root + 4)};
        for (int c = 0; c < 3; ++c)
            out.note(t0, bar, midiHz(chord[c]), 0.09, -0.4 + 0.4 * c, 1);
        out.note(t0, beat * 2, midiHz(chord[0] - 24), 0.55, 0.0, 2);
        out.note(t0 + 2 * beat, beat * 2, midiHz(chord[0] - 12 - 12 * (b % 2)), 0.45, 0.0, 2);
        // Arpeggio in eighths across the chord.
        static const int pattern[8] = {0, 1, 2, 1, 0, 2, 1, 2};
        for (int e = 0; e < 8; ++e)
            out.note(t0 + e * beat / 2, beat / 2, midiHz(chord[pattern[e]] + 12), 0.16, 0.5, 0);
        // A melody on the pentatonic notes, moving mostly by step, resting at phrase ends.
        if (b >= 2 && b < p.bars - 1) {
            for (int q = 0; q < 4; ++q) {
                if ((b % 4 == 3 && q >= 2) || rnd(5) == 0)
                    continue;
                melody = std::clamp(melody + rnd(5) - 2, 7, 13);
                int d = melody;
                if (d % 7 == 3 || d % 7 == 6) // skip the fourth and seventh
                    d += (rnd(2) ? 1 : -1);
                const double len = (rnd(3) == 0) ? beat * 2 : beat;
                out.note(t0 + q * beat, len, midiHz(degree(d)), p.lead ? 0.22 : 0.3, -0.3,
                         p.lead ? 3 : 0);
            }
        }
    }
    return out.finish(beat);
}

} // namespace

DiscSpec demoDisc() {
    DiscSpec spec;
    for (const Piece& p : pieces) {
        // Whole bars plus a ringing end.
        const int frames = int((p.bars * 4 * 60.0 / p.bpm + 3.0) * 75);
        auto audio = std::make_shared<std::vector<std::int16_t>>();
        const Piece* piece = &p;
        spec.tracks.push_back(TrackSpec::audio(
            frames,
            [audio, piece, frames](std::int64_t first, std::int16_t* out, int samples) {
                if (audio->empty())
                    *audio = compose(*piece, frames);
                for (int i = 0; i < samples * 2; ++i) {
                    const size_t at = size_t(first) * 2 + size_t(i);
                    out[i] = at < audio->size() ? (*audio)[at] : 0;
                }
            },
            spec.tracks.empty() ? 0 : 75));
    }
    return spec;
}

QStringList demoTitles() {
    QStringList titles;
    for (const Piece& p : pieces)
        titles << QString::fromLatin1(p.title);
    return titles;
}

} // namespace vornap::platform::discimage
