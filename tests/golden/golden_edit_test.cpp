// show and set on the golden images, compared with the stored record.

#include <gtest/gtest.h>

#include "golden_record.h"
#include "test_files.h"

namespace mk843nb::test {
namespace {

struct Edit {
    const char* image;
    std::vector<std::string> options;  // before FILE
    std::vector<std::string> assignments;
};

// Accepted and refused edits, one or a few rules each.
const std::vector<Edit>& Edits() {
    static const std::vector<Edit> edits = {
        {"default", {}, {"Freq=1590125"}},
        {"default", {}, {"Freq=1590001"}},
        {"default", {}, {"Freq=1800000"}},
        {"default", {}, {"Freq=15x"}},
        {"default", {}, {"RangeFreq=400-499 MHz", "Freq=4620000", "CSpace=6.25 K"}},
        {"default", {}, {"CSpace=10 K", "Freq=1590000"}},
        {"default", {}, {"CSpace=Auto", "Freq=1590025"}},
        {"default", {}, {"T11=330.5", "T21=1000"}},
        {"default", {}, {"T11=100"}},
        {"default", {}, {"Duty2=1", "T12=600", "T22=600"}},
        {"default", {"--user-mode"}, {"T11=1000", "T21=1100"}},
        {"default", {"--user-mode"}, {"T11=1000", "T21=1001"}},
        {"default", {"--user-mode"}, {"T11=4000"}},
        {"default", {}, {"GDuty1=1", "T31=800", "GPriority1=1"}},
        {"default", {}, {"Reminder=60  Second", "SYSFIX=1", "SYSPow=1"}},
        {"default", {}, {"ResetCon=Delay N sec Auto Reset", "Delay=3.5"}},
        {"default", {}, {"ResetCon=Delay N sec Auto Reset", "Delay=3.3"}},
        {"default", {}, {"PTL=Alert & Vibration Mode", "ResetCon=Revert SQ"}},
        {"default", {}, {"SYSPrivacy=1", "AutoMonitor=2"}},
        {"default", {}, {"SYSAudio=1", "AudioLock=10", "AutoMonitor=127.5"}},
        {"default", {}, {"SYSSV=1", "RecordMax=4 sections (30 second)"}},
        {"default", {}, {"FullTimeAutoMonitor=1", "DelayFullTime=0.5"}},
        {"default", {}, {"FullTimeAutoMonitor=1", "DelayFullTime=12"}},
        {"default", {}, {"VolumeLevel=1", "Priority1=1"}},
        {"default", {}, {"BS_Period=200", "BS_Duty=007", "RFDelay=256"}},
        {"default", {}, {"Tone1Len=65535", "Tone2Limit=12", "NoiseLimit=9"}},
        {"default", {}, {"RSSI=0.5", "SSI=0.999", "RSSI2=1.5"}},
        {"default", {}, {"DecorderReset=0", "BatteryLow=1.14 v"}},
        {"default", {}, {"BandWidth=2.1"}},
        {"default", {"--access-code", "HW527"}, {"BandWidth=2.1", "GapMax=8", "Squelch=3"}},
        {"default", {"--access-code", "hw527 "}, {"NRSSIRpTM=4"}},
        {"default", {"--access-code", "wrong"}, {"GapMax=8"}},
        {"default", {"--access-code", "HW527"}, {"MiniRecTime=200", "Tone3Len=12"}},
        {"default", {}, {"Version=1.86"}},
        {"default", {}, {"PLLR=1"}},
        {"default", {}, {"NoSuchField=1"}},
        {"default", {}, {"AlertType1=3"}},
        {"default", {}, {"Duty1=2"}},
        {"default", {}, {"Freq"}},
        {"high_band", {}, {"CSpace=5 K", "Freq=4620050"}},
        {"cspace_10", {}, {"Freq=1590000"}},
        {"sys_privacy", {}, {"SYSPrivacy=0", "PTL=Vibration Mode Only"}},
        {"resetcon_2_ptl", {}, {"PTL=Disable"}},
        {"calls_off", {}, {"T11=600"}},
        {"calls_all", {}, {"T14=1500", "T24=1600", "T32=700", "Duty3=0"}},
        {"tones_equal", {}, {"Duty1=0", "Duty1=1"}},
        {"random_2", {}, {"Reminder=Disable", "BS_Period=10"}},
        {"random_4", {"--access-code", "HW527"}, {"BandWidth=0.1", "T11=330.5"}},
        {"shipped_default", {}, {"Freq=1590000", "Duty4=1"}},
    };
    return edits;
}

// Every show and set is a run of its own on a file of its own: they run side by side.
TEST(GoldenOutputs, ShowAndSetMatchTheRecord) {
    const auto images = GoldenImages();
    GoldenRecord record = RecordInParallel(
        images.size(), [&](std::size_t i, GoldenRecord& part, const std::string& dir) {
            const auto& [name, image] = images[i];
            const std::string file = dir + "/" + name + ".tbl";
            WriteFileBytes(file, image);
            part.Section("show " + name);
            part.Line("image", Hex(image));
            part.Run(RunCli({"show", "--json", file}));
            part.Run(RunCli({"show", file}));
        });

    const std::vector<Edit>& edits = Edits();
    record.Append(RecordInParallel(
        edits.size(), [&](std::size_t number, GoldenRecord& part, const std::string& dir) {
            const Edit& edit = edits[number];
            const std::string file = dir + "/edit.tbl";
            WriteFileBytes(file, GoldenImage(edit.image));
            std::vector<std::string> args{"set"};
            args.insert(args.end(), edit.options.begin(), edit.options.end());
            args.push_back(file);
            args.insert(args.end(), edit.assignments.begin(), edit.assignments.end());
            std::string title = "set " + std::to_string(number + 1) + " " + edit.image;
            for (std::size_t a = 1; a < args.size(); ++a)
                title += " " + (args[a] == file ? std::string("FILE") : args[a]);
            part.Section(title);
            part.Run(RunCli(args));
            part.File("file", file);
        }));

    const std::string difference = record.Check("show_set.golden");
    EXPECT_EQ(difference, "");
}

}  // namespace
}  // namespace mk843nb::test
