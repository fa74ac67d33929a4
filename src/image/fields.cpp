#include "image/fields.h"

#include <stdexcept>
#include <vector>

#include "image/codecs.h"
#include "image/frequency.h"

namespace mk843nb {
namespace {

constexpr Field Whole(std::string_view name, std::uint16_t offset, std::uint8_t size, Codec codec,
                      std::int64_t low, std::int64_t high, std::string_view control,
                      std::span<const std::string_view> items = {}) {
    return Field{name, offset, size, -1, 0, codec, low, high, control, items};
}

constexpr Field BitOf(std::string_view name, std::uint16_t offset, int bit,
                      std::string_view control) {
    return Field{name, offset, 1, static_cast<std::int8_t>(bit), 1, Codec::Bit, 0, 1, control, {}};
}

constexpr Field AlertTypeOf(std::string_view name, std::uint16_t offset, std::string_view control) {
    return Field{name, offset, 1, 0, 6, Codec::AlertType, 0, 8, control, kAlertTypeItems};
}

// Offsets of the per-slot fields.
constexpr std::uint16_t FirstWord(int k) { return static_cast<std::uint16_t>(16 + 4 * (k - 1)); }
constexpr std::uint16_t SecondWord(int k) { return static_cast<std::uint16_t>(18 + 4 * (k - 1)); }
constexpr std::uint16_t GroupWord(int k) { return static_cast<std::uint16_t>(87 + 2 * (k - 1)); }
constexpr std::uint16_t FirstTone(int k) { return static_cast<std::uint16_t>(192 + 4 * (k - 1)); }
constexpr std::uint16_t SecondTone(int k) { return static_cast<std::uint16_t>(194 + 4 * (k - 1)); }
constexpr std::uint16_t GroupTone(int k) { return static_cast<std::uint16_t>(224 + 2 * (k - 1)); }
constexpr std::uint16_t CallAlert(int k) { return static_cast<std::uint16_t>(96 + 2 * (k - 1)); }
constexpr std::uint16_t GroupAlert(int k) { return static_cast<std::uint16_t>(112 + 2 * (k - 1)); }

constexpr std::int64_t kToneLow = 2800;
constexpr std::int64_t kToneHigh = 35000;

const Field kFields[] = {
    Whole("Version", 1, 2, Codec::Version, 0, 0xFFFF, "edtVersion"),
    Whole("Freq", 3, 7, Codec::FreqDigits, 1350000, 4990000, "edtFreq"),
    Whole("RangeFreq", 3, 1, Codec::Band, 0, 1, "cboRangeFreq", kRangeFreqItems),
    Whole("MUTL", 3, 1, Codec::Mutl, 1, 2, "lblMUTL"),
    Whole("CSpace", 10, 1, Codec::ChannelSpace, 0, 37, "cboCSpace"),
    Whole("WriteMark", 11, 1, Codec::Byte, 0, 1, ""),
    Whole("W11", FirstWord(1), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W21", SecondWord(1), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W12", FirstWord(2), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W22", SecondWord(2), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W13", FirstWord(3), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W23", SecondWord(3), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W14", FirstWord(4), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W24", SecondWord(4), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W15", FirstWord(5), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W25", SecondWord(5), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W16", FirstWord(6), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W26", SecondWord(6), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W17", FirstWord(7), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W27", SecondWord(7), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W18", FirstWord(8), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W28", SecondWord(8), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("CallDuty", 48, 1, Codec::Byte, 0, 255, ""),
    BitOf("Duty1", 48, 0, "chkDuty1"),
    BitOf("Duty2", 48, 1, "chkDuty2"),
    BitOf("Duty3", 48, 2, "chkDuty3"),
    BitOf("Duty4", 48, 3, "chkDuty4"),
    Whole("BandWidth", 49, 1, Codec::ListIndex, 0, 15, "cboBandWidth", kBandWidthItems),
    Whole("Tone1Limit", 50, 2, Codec::Word, 0, 65535, "edtTone1Limit"),
    Whole("Tone1Len", 52, 2, Codec::Word, 0, 65535, "edtTone1Len"),
    Whole("Tone2Limit", 54, 2, Codec::Word, 0, 65535, "edtTone2Limit"),
    Whole("Tone2Len", 56, 2, Codec::Word, 0, 65535, "edtTone2Len"),
    Whole("BS_Period", 58, 1, Codec::Byte, 0, 255, "edtBS_Period"),
    Whole("BS_Duty", 59, 1, Codec::Byte, 0, 255, "edtBS_Duty"),
    Whole("RecordMax", 62, 1, Codec::ListIndex, 0, 2, "cboRecordMax", kRecordMaxItems),
    Whole("BatteryLow", 63, 1, Codec::BatteryLow, 0, 255, "cboBatteryLow", kBatteryLowItems),
    Whole("RSSI", 64, 1, Codec::Voltage, 0, 85, "edtRSSI"),
    Whole("AutoMonitor", 65, 1, Codec::HalfSeconds, 2, 255, "edtAutoMonitor"),
    Whole("AudioLock", 66, 1, Codec::HalfSeconds, 2, 255, "edtAudioLock"),
    Whole("ResetCon", 67, 1, Codec::ResetCon, 0, 5, "cboResetCon", kResetConItems),
    Whole("Delay", 68, 1, Codec::HalfSeconds, 2, 255, "edtDelay"),
    Whole("SYS", 69, 1, Codec::Byte, 0, 255, ""),
    BitOf("SYSSV", 69, 0, "chkSYSSV"),
    BitOf("SYSPTL", 69, 1, "chkSYSPTL"),
    BitOf("SYSAudio", 69, 2, "chkSYSAudio"),
    BitOf("SYSFIX", 69, 3, "chkSYSFIX"),
    BitOf("SYSPow", 69, 4, "chkSYSPow"),
    BitOf("SYSVib", 69, 5, "chkSYSVib"),
    BitOf("SYSPowSave", 69, 6, "chkSYSPowSave"),
    BitOf("SYSPrivacy", 69, 7, "chkSYSPrivacy"),
    Whole("Reminder", 70, 1, Codec::Reminder, 0, 240, "cboReminder", kReminderItems),
    Whole("Tone3Len", 73, 2, Codec::Word, 0, 65535, "edtTone3Len"),
    Whole("RFDelay", 75, 1, Codec::Byte, 0, 255, "edtRFDelay"),
    Whole("RSSI2", 76, 1, Codec::Voltage, 0, 85, "edtRSSI2"),
    Whole("NoiseLimit", 77, 1, Codec::Byte, 0, 255, "edtNoiseLimit"),
    Whole("GapMax", 78, 1, Codec::Byte, 0, 255, "edtGapMax"),
    Whole("SSI", 79, 1, Codec::Voltage, 0, 85, "edtSSI"),
    Whole("DecorderReset", 80, 1, Codec::HalfSeconds, 0, 255, "edtDecorderReset"),
    Whole("SYS2", 81, 1, Codec::Byte, 0, 255, ""),
    BitOf("FullTimeAutoMonitor", 81, 2, "chkFullTimeAutoMonitor"),
    BitOf("VolumeLevel", 81, 3, "chkVolumeLevel"),
    BitOf("PTL", 81, 4, "cboPTL"),
    Whole("DelayFullTime", 82, 1, Codec::HalfSeconds, 2, 255, "edtDelayFullTime"),
    Whole("Squelch", 83, 1, Codec::Byte, 0, 255, "edtSquelch"),
    Whole("W31", GroupWord(1), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W32", GroupWord(2), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W33", GroupWord(3), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("W34", GroupWord(4), 2, Codec::DecoderWord, 0, 0xFFFF, ""),
    Whole("GroupDuty", 95, 1, Codec::Byte, 0, 255, ""),
    BitOf("GDuty1", 95, 0, "chkGDuty1"),
    BitOf("GDuty2", 95, 1, "chkGDuty2"),
    BitOf("GDuty3", 95, 2, ""),
    BitOf("GDuty4", 95, 3, ""),
    BitOf("Priority1", CallAlert(1), 7, "chkPriority1"),
    AlertTypeOf("AlertType1", CallAlert(1), "cboAlertType1"),
    Whole("AlertTime1", CallAlert(1) + 1, 1, Codec::HalfSeconds, 0, 255, "edtAlertTime1"),
    BitOf("Priority2", CallAlert(2), 7, "chkPriority2"),
    AlertTypeOf("AlertType2", CallAlert(2), "cboAlertType2"),
    Whole("AlertTime2", CallAlert(2) + 1, 1, Codec::HalfSeconds, 0, 255, "edtAlertTime2"),
    BitOf("Priority3", CallAlert(3), 7, "chkPriority3"),
    AlertTypeOf("AlertType3", CallAlert(3), "cboAlertType3"),
    Whole("AlertTime3", CallAlert(3) + 1, 1, Codec::HalfSeconds, 0, 255, "edtAlertTime3"),
    BitOf("Priority4", CallAlert(4), 7, "chkPriority4"),
    AlertTypeOf("AlertType4", CallAlert(4), "cboAlertType4"),
    Whole("AlertTime4", CallAlert(4) + 1, 1, Codec::HalfSeconds, 0, 255, "edtAlertTime4"),
    BitOf("Priority5", CallAlert(5), 7, ""),
    AlertTypeOf("AlertType5", CallAlert(5), ""),
    Whole("AlertTime5", CallAlert(5) + 1, 1, Codec::HalfSeconds, 0, 255, ""),
    BitOf("Priority6", CallAlert(6), 7, ""),
    AlertTypeOf("AlertType6", CallAlert(6), ""),
    Whole("AlertTime6", CallAlert(6) + 1, 1, Codec::HalfSeconds, 0, 255, ""),
    BitOf("Priority7", CallAlert(7), 7, ""),
    AlertTypeOf("AlertType7", CallAlert(7), ""),
    Whole("AlertTime7", CallAlert(7) + 1, 1, Codec::HalfSeconds, 0, 255, ""),
    BitOf("Priority8", CallAlert(8), 7, ""),
    AlertTypeOf("AlertType8", CallAlert(8), ""),
    Whole("AlertTime8", CallAlert(8) + 1, 1, Codec::HalfSeconds, 0, 255, ""),
    BitOf("GPriority1", GroupAlert(1), 7, "chkGPriority1"),
    AlertTypeOf("GAlertType1", GroupAlert(1), "cboGAlertType1"),
    Whole("GAlertTime1", GroupAlert(1) + 1, 1, Codec::HalfSeconds, 0, 255, "edtGAlertTime1"),
    BitOf("GPriority2", GroupAlert(2), 7, "chkGPriority2"),
    AlertTypeOf("GAlertType2", GroupAlert(2), "cboGAlertType2"),
    Whole("GAlertTime2", GroupAlert(2) + 1, 1, Codec::HalfSeconds, 0, 255, "edtGAlertTime2"),
    BitOf("GPriority3", GroupAlert(3), 7, ""),
    AlertTypeOf("GAlertType3", GroupAlert(3), ""),
    Whole("GAlertTime3", GroupAlert(3) + 1, 1, Codec::HalfSeconds, 0, 255, ""),
    BitOf("GPriority4", GroupAlert(4), 7, ""),
    AlertTypeOf("GAlertType4", GroupAlert(4), ""),
    Whole("GAlertTime4", GroupAlert(4) + 1, 1, Codec::HalfSeconds, 0, 255, ""),
    Whole("PLLR", 120, 4, Codec::Long, 0, 0xFFFFFFFF, "lblPLLR"),
    Whole("PLLN", 124, 4, Codec::Long, 0, 0xFFFFFFFF, "lblPLLN"),
    Whole("NRSSIRpTM", 139, 1, Codec::Byte, 5, 100, "edtNRSSIRpTM"),
    Whole("MiniRecTime", 141, 1, Codec::Byte, 0, 200, "edtMiniRecTime"),
    Whole("T11", FirstTone(1), 2, Codec::Tone, kToneLow, kToneHigh, "edtT11"),
    Whole("T21", SecondTone(1), 2, Codec::Tone, kToneLow, kToneHigh, "edtT21"),
    Whole("T12", FirstTone(2), 2, Codec::Tone, kToneLow, kToneHigh, "edtT12"),
    Whole("T22", SecondTone(2), 2, Codec::Tone, kToneLow, kToneHigh, "edtT22"),
    Whole("T13", FirstTone(3), 2, Codec::Tone, kToneLow, kToneHigh, "edtT13"),
    Whole("T23", SecondTone(3), 2, Codec::Tone, kToneLow, kToneHigh, "edtT23"),
    Whole("T14", FirstTone(4), 2, Codec::Tone, kToneLow, kToneHigh, "edtT14"),
    Whole("T24", SecondTone(4), 2, Codec::Tone, kToneLow, kToneHigh, "edtT24"),
    Whole("T15", FirstTone(5), 2, Codec::Tone, kToneLow, kToneHigh, ""),
    Whole("T25", SecondTone(5), 2, Codec::Tone, kToneLow, kToneHigh, ""),
    Whole("T16", FirstTone(6), 2, Codec::Tone, kToneLow, kToneHigh, ""),
    Whole("T26", SecondTone(6), 2, Codec::Tone, kToneLow, kToneHigh, ""),
    Whole("T17", FirstTone(7), 2, Codec::Tone, kToneLow, kToneHigh, ""),
    Whole("T27", SecondTone(7), 2, Codec::Tone, kToneLow, kToneHigh, ""),
    Whole("T18", FirstTone(8), 2, Codec::Tone, kToneLow, kToneHigh, ""),
    Whole("T28", SecondTone(8), 2, Codec::Tone, kToneLow, kToneHigh, ""),
    Whole("T31", GroupTone(1), 2, Codec::Tone, kToneLow, kToneHigh, "edtT31"),
    Whole("T32", GroupTone(2), 2, Codec::Tone, kToneLow, kToneHigh, "edtT32"),
    Whole("T33", GroupTone(3), 2, Codec::Tone, kToneLow, kToneHigh, ""),
    Whole("T34", GroupTone(4), 2, Codec::Tone, kToneLow, kToneHigh, ""),
    Whole("ModelTag", static_cast<std::uint16_t>(kModelTagOffset),
          static_cast<std::uint8_t>(kModelTagSize), Codec::Text, 0, 0, ""),
    Whole("Checksum", static_cast<std::uint16_t>(kChecksumOffset), 2, Codec::Checksum, 0, 0xFFFF,
          ""),
};

std::string ItemText(std::span<const std::string_view> items, std::int64_t index) {
    if (index < 0 || static_cast<std::size_t>(index) >= items.size()) return {};
    return std::string(items[static_cast<std::size_t>(index)]);
}

}  // namespace

std::span<const Field> FieldTable() { return kFields; }

const Field* FindField(std::string_view name) {
    for (const Field& field : kFields)
        if (field.name == name) return &field;
    return nullptr;
}

const Field& FieldNamed(std::string_view name) {
    if (const Field* field = FindField(name)) return *field;
    throw std::out_of_range("no image field " + std::string(name));
}

const Field* FieldOfControl(std::string_view control) {
    if (control.empty()) return nullptr;
    for (const Field& field : kFields)
        if (field.control == control) return &field;
    return nullptr;
}

std::uint32_t GetFieldCode(const PagerImage& image, const Field& field) {
    switch (field.codec) {
        case Codec::Bit:
            return GetBits(image, field.offset, field.firstBit, field.bitWidth);
        case Codec::AlertType:
            return static_cast<std::uint32_t>(AlertTypeIndexOfByte(image[field.offset]));
        case Codec::FreqDigits:
            return static_cast<std::uint32_t>(FrequencyOfImage(image));
        case Codec::Band:
            return static_cast<std::uint32_t>(BandIndex(BandOfImage(image)));
        case Codec::Mutl:
            return static_cast<std::uint32_t>(Mutl(BandOfImage(image)));
        case Codec::Text:
            return 0;
        default:
            break;
    }
    switch (field.size) {
        case 1:
            return image[field.offset];
        case 2:
            return GetWord(image, field.offset);
        case 4:
            return GetLong(image, field.offset);
        default:
            return 0;
    }
}

void SetFieldCode(PagerImage& image, const Field& field, std::uint32_t code) {
    switch (field.codec) {
        case Codec::Bit:
        case Codec::AlertType: {
            const std::uint32_t mask = (1u << field.bitWidth) - 1u;
            SetBits(image, field.offset, field.firstBit, static_cast<int>(code & mask),
                    field.bitWidth);
            return;
        }
        case Codec::FreqDigits: {
            std::uint32_t n = code;
            for (std::size_t i = kFreqDigits; i-- > 0;) {
                image[field.offset + i] = static_cast<std::uint8_t>(n % 10);
                n /= 10;
            }
            return;
        }
        case Codec::Band:
        case Codec::Mutl:
        case Codec::Text:
            return;
        default:
            break;
    }
    switch (field.size) {
        case 1:
            image[field.offset] = static_cast<std::uint8_t>(code);
            return;
        case 2:
            SetWord(image, field.offset, static_cast<std::uint16_t>(code));
            return;
        case 4:
            SetLong(image, field.offset, code);
            return;
        default:
            return;
    }
}

std::string FieldText(const PagerImage& image, const Field& field) {
    const std::uint32_t code = GetFieldCode(image, field);
    switch (field.codec) {
        case Codec::Byte:
        case Codec::Word:
        case Codec::FreqDigits:
        case Codec::Mutl:
        case Codec::Checksum:
        case Codec::Bit:
            return std::to_string(code);
        case Codec::Long:
            return Hex8(code);
        case Codec::DecoderWord:
            return Hex8(code).substr(4);
        case Codec::HalfSeconds:
            return FormatHalfSeconds(static_cast<std::uint8_t>(code));
        case Codec::Voltage:
            return FormatVoltage(static_cast<std::uint8_t>(code));
        case Codec::Tone:
            return FormatTone(static_cast<std::uint16_t>(code));
        case Codec::AlertType:
        case Codec::ListIndex:
        case Codec::Band:
            return ItemText(field.items, code);
        case Codec::ResetCon:
            return ItemText(field.items, ResetConIndexOfCode(static_cast<int>(code)));
        case Codec::Reminder:
            return ItemText(field.items, ReminderIndexOfCode(static_cast<std::uint8_t>(code)));
        case Codec::BatteryLow: {
            const auto index = BatteryLowIndexOfCode(static_cast<std::uint8_t>(code));
            return index ? ItemText(field.items, *index) : std::string();
        }
        case Codec::ChannelSpace: {
            const Band band = BandOfImage(image);
            return std::string(
                CSpaceItemText(band, CSpaceIndexForBand(band, static_cast<std::uint8_t>(code))));
        }
        case Codec::Version:
            return VersionText(image[field.offset], image[field.offset + 1]);
        case Codec::Text: {
            std::string text;
            for (std::size_t i = 0; i < field.size && image[field.offset + i] != 0; ++i)
                text.push_back(static_cast<char>(image[field.offset + i]));
            return text;
        }
    }
    return {};
}

}  // namespace mk843nb
