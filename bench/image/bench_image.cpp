// Encoding and decoding every field of the image, and the checksum.
// The figure to judge: ns per field and ns per checksum, both well under 1000.

#include <benchmark/benchmark.h>

#include "image/codecs.h"
#include "image/fields.h"
#include "image/pager_image.h"

namespace mk843nb {
namespace {

// Every field's stored code read and written back.
void BM_FieldCodesRoundTrip(benchmark::State& state) {
    PagerImage image = DefaultImage();
    const auto fields = FieldTable();
    for (auto _ : state) {
        for (const Field& field : fields) SetFieldCode(image, field, GetFieldCode(image, field));
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(fields.size()));
    state.counters["ns_per_field"] = benchmark::Counter(
        static_cast<double>(state.iterations() * fields.size()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_FieldCodesRoundTrip);

// Every field shown as text, then its user value encoded back the way a leave check does.
void BM_FieldTextRoundTrip(benchmark::State& state) {
    PagerImage image = DefaultImage();
    const auto fields = FieldTable();
    for (auto _ : state) {
        for (const Field& field : fields) {
            const std::string text = FieldText(image, field);
            switch (field.codec) {
                case Codec::Voltage:
                    SetFieldCode(image, field, EncodeVoltage(ParseNumber(text).value_or(0)));
                    break;
                case Codec::HalfSeconds:
                    SetFieldCode(
                        image, field,
                        EncodeHalfSeconds(static_cast<float>(ParseNumber(text).value_or(0))));
                    break;
                case Codec::Tone: {
                    const auto code =
                        ToneCodeOfText(FormatToneValue(ParseNumber(text).value_or(0)));
                    SetFieldCode(image, field, static_cast<std::uint32_t>(code.value_or(0)));
                    // The word belongs in the tone's decoder-word field, not over the tone itself.
                    benchmark::DoNotOptimize(
                        ToneDecoderWord(static_cast<std::uint16_t>(code.value_or(0))));
                    break;
                }
                case Codec::Byte:
                case Codec::Word:
                    SetFieldCode(image, field,
                                 static_cast<std::uint32_t>(ParseInteger(text).value_or(0)));
                    break;
                default:
                    benchmark::DoNotOptimize(text.data());
                    break;
            }
        }
        benchmark::ClobberMemory();
    }
    state.counters["ns_per_field"] = benchmark::Counter(
        static_cast<double>(state.iterations() * fields.size()),
        benchmark::Counter::kIsRate | benchmark::Counter::kInvert, benchmark::Counter::kIs1000);
}
BENCHMARK(BM_FieldTextRoundTrip);

void BM_Checksum(benchmark::State& state) {
    PagerImage image = DefaultImage();
    for (auto _ : state) {
        StoreChecksum(image);
        benchmark::DoNotOptimize(image.data());
        benchmark::ClobberMemory();
        image[100] ^= 1;
    }
}
BENCHMARK(BM_Checksum);

}  // namespace
}  // namespace mk843nb

BENCHMARK_MAIN();
