// velmora-codec-bench: the cost of turning a form into an image and an image back into
// a form, per image (Google Benchmark).
#include "model/form_model.h"
#include "protocol/config_image.h"
#include "protocol/image_decode.h"

#include <benchmark/benchmark.h>

namespace {

using namespace velmora;

// A form with every part of the image in use: control-panel mode, positions, ranges.
ParameterSet busyForm() {
    ParameterSet parameters;
    parameters.peripheralNumber = "4321";
    parameters.toneRow = 17;
    parameters.transmitFrequency = "433.9187";
    parameters.receiveFrequency = "433.9187";
    parameters.vhfBand = false;
    parameters.uhfBand = true;
    parameters.controlPanel = true;
    parameters.mainsPosition[2] = true;
    parameters.batteryPosition[3] = true;
    parameters.directInputs = {true, false, true, false, false, true};
    for (int k = 0; k < kRangeCount; ++k) {
        parameters.rangeMinimum[static_cast<std::size_t>(k)] = std::to_string(100 * k + 1);
        parameters.rangeMaximum[static_cast<std::size_t>(k)] = std::to_string(100 * k + 99);
    }
    return parameters;
}

void encode(benchmark::State& state) {
    const ParameterSet parameters = busyForm();
    for (auto _ : state)
        benchmark::DoNotOptimize(encodeImage(parameters));
}
BENCHMARK(encode);

void decode(benchmark::State& state, ImageSource source) {
    const Image image = *encodeImage(busyForm());
    for (auto _ : state)
        benchmark::DoNotOptimize(decodeImage(image, source));
}
BENCHMARK_CAPTURE(decode, file_import, ImageSource::FileImport);
BENCHMARK_CAPTURE(decode, device_reply, ImageSource::DeviceReply);

// Decoding as a read does it: check the image, then write it into the window's model
// with every reaction it sets off.
void decodeIntoForm(benchmark::State& state) {
    const Image image = *encodeImage(busyForm());
    FormModel form;
    form.selectStartBand();
    for (auto _ : state) {
        const Result<DecodedImage> decoded = decodeImage(image, ImageSource::DeviceReply);
        form.applyDecodedImage(*decoded, ImageSource::DeviceReply);
        benchmark::ClobberMemory();
    }
}
BENCHMARK(decodeIntoForm);

// Decoding as the fuzzer and the command line do it: a window just started, the image
// checked and written into it.
void decodeIntoFreshForm(benchmark::State& state) {
    const Image image = *encodeImage(busyForm());
    for (auto _ : state) {
        FormModel form;
        form.selectStartBand();
        const Result<DecodedImage> decoded = decodeImage(image, ImageSource::DeviceReply);
        form.applyDecodedImage(*decoded, ImageSource::DeviceReply);
        benchmark::DoNotOptimize(form);
    }
}
BENCHMARK(decodeIntoFreshForm);

} // namespace

BENCHMARK_MAIN();
