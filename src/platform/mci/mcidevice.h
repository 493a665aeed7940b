#pragma once

// The `cdaudio` MCI device: command strings in, answers and result codes out,
// over the drive table (real drives and virtual ones from VornapDrives.dat).
//
// A test builds a device on a generated disc with a manual clock:
//
//   #include "platform/discimage/discimage.h"
//   #include "platform/mci/mcidevice.h"
//   namespace di = vornap::platform::discimage;
//   QTemporaryDir dir;
//   di::writeBinCue({{di::TrackSpec::audio(di::seconds(30), di::sine(440)),
//                     di::TrackSpec::audio(di::seconds(20), di::sine(880))}},
//                   dir.filePath("disc.cue"));
//   vornap::platform::ManualClock clock;
//   auto cd = vornap::platform::makeTestCdDevices(dir.path(), clock); // no real drives, silent
//   cd.table->addVirtualDrive('E', dir.filePath("disc.cue"));       // or a tray directory,
//                                               // or a VornapDrives.dat in dir before the call
//   cd.installInto(platform);  // platform.mci, driveTypes, discRoot, discToc
//   platform.mci->sendString("open E:\\ type cdaudio alias cd1 wait shareable", buf, 30);
//   clock.advanceMs(5000);     // a playing drive moves on by five seconds
//
// `cd.mci` (before installInto) or `cd.device` (always) reaches the interpreter.

#include "platform/audio/audiooutput.h"
#include "platform/drives/drivetable.h"
#include "platform/mci.h"
#include "platform/mci/clock.h"
#include "platform/mci/driveplayer.h"

#include <map>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vornap::platform {

struct Platform;

class MciDevice final : public Mci {
public:
    MciDevice(std::shared_ptr<DriveTable> table, std::shared_ptr<Clock> clock,
              std::shared_ptr<audio::AudioOutput> output);
    ~MciDevice() override;

    std::uint32_t sendString(std::string_view command, char* answer,
                             std::uint32_t answerLength) override;

    // The player of a drive (made on first use); tests look at its state.
    DrivePlayer& player(Drive& drive);
    // Real drives read through paranoia; this makes image drives do so too.
    void setParanoiaForImages(bool on) { m_paranoiaForImages = on; }

private:
    enum class TimeFormat { Msf, Tmsf, Milliseconds };
    struct Instance {
        Drive* drive = nullptr;
        TimeFormat format = TimeFormat::Msf;
        int id = 0;
        bool shareable = false;
    };
    struct Reply {
        std::uint32_t code = 0;
        std::string answer;
    };

    // A command's words, lower-cased; views into m_text.
    using Words = std::span<const std::string_view>;

    Reply execute(Words words);
    Reply open(Words words);
    // The words without their flags (in m_args).
    const std::vector<std::string_view>& keywords(Words words);
    Reply status(Instance& in, Words words);
    Reply set(Instance& in, Words words);
    Reply play(Instance& in, Words words);
    Reply seek(Instance& in, Words words);
    std::string formatLength(const Instance& in, int frames) const;
    std::string formatPosition(const Instance& in, const Disc& disc, int frame) const;
    // A position argument in the instance's time format, as an absolute frame.
    std::optional<int> parsePosition(const Instance& in, const Disc& disc, std::string_view text,
                                     std::uint32_t* code) const;

    std::shared_ptr<DriveTable> m_table;
    std::shared_ptr<Clock> m_clock;
    std::shared_ptr<audio::AudioOutput> m_output;
    std::mutex m_mutex;
    std::map<std::string, Instance, std::less<>> m_open; // by lower-case alias
    // The command being read and its words, kept to spare allocations.
    std::string m_text;
    std::vector<std::string_view> m_words;
    std::vector<std::string_view> m_args;
    std::map<Drive*, std::unique_ptr<DrivePlayer>> m_players;
    bool m_paranoiaForImages = false;
};

// The device layer as the platform bundle takes it.
struct CdDevices {
    std::shared_ptr<DriveTable> table;
    std::shared_ptr<audio::AudioOutput> output;
    MciDevice* device = nullptr;          // stays valid while the Mci lives
    std::unique_ptr<MciDevice> mci;       // moved out by installInto
    void installInto(Platform& platform); // mci, driveTypes, discRoot, discToc
};

struct CdDeviceOptions {
    QString appPath;               // the drives file's directory
    bool realDrives = true;        // optical drives through libcdio
    bool demoWhenNoDrives = false; // appPath/Demo as the tray of D:\ when no drive exists
    std::shared_ptr<Clock> clock;  // steady clock when null
    std::shared_ptr<audio::AudioOutput> output; // PulseAudio, else silent, when null
};

CdDevices makeCdDevices(CdDeviceOptions options);

// No real drives, a silent output on `clock`; drives from `appPath`'s drives
// file if there is one. `clock` must outlive the devices.
CdDevices makeTestCdDevices(const QString& appPath, Clock& clock);

} // namespace vornap::platform
