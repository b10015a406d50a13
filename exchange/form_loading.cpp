#include "exchange/form_loading.h"

#include "progfile/programming_file.h"
#include "protocol/image_decode.h"
#include "protocol/range_check.h"

#include <string>

namespace velmora::exchange {

Result<FormModel> formFromImage(const Image& image) {
    const Result<DecodedImage> decoded = decodeImage(image, ImageSource::FileImport);
    if (!decoded)
        return decoded.problems();
    FormModel form;
    form.selectStartBand();
    const ParameterSet& values = decoded->values;
    if (values.uhfBand)
        form.setValue(kUhfBand, true);
    // Outside control-panel mode the import leaves these as the window held them.
    form.setText("Txtsir"_control, values.sirenTime);
    form.setText("txtin"_control, values.entryTime);
    form.setText("Txtout"_control, values.exitTime);
    for (std::size_t i = 0; i < kPositionCount; ++i)
        form.setValue(kInputRow[i], values.directInputs[i]);
    form.applyDecodedImage(*decoded, ImageSource::FileImport);
    form.applyDecodedImage(*decoded, ImageSource::FileImport);
    return form;
}

Result<LoadedFile> loadConfiguration(const std::filesystem::path& path) {
    const Result<Frame> frame = loadProgrammingFile(path);
    if (!frame)
        return frame.problems();
    Result<FormModel> form = formFromImage(imageOfFrame(*frame));
    if (!form)
        return form.problems();
    return LoadedFile{*frame, std::move(form.value())};
}

Result<Frame> frameOfForm(const FormModel& form) {
    const ParameterSet parameters = form.parameters();
    if (const auto k = firstFailingRangePair(parameters)) {
        const auto slot = static_cast<std::size_t>(*k);
        const ControlId minimum = kRangeMinimumBoxes[slot];
        return Problem{controlName(minimum),
                       "Errore nei Range REP: " + form.text(rangeGroupCaption(*k)) + " " +
                           form.text(kRangeRowCaptions[slot]) + " (" + form.text(minimum) + " - " +
                           form.text(kRangeMaximumBoxes[slot]) + ")"};
    }
    const Result<Image> image = encodeImage(parameters);
    if (!image)
        return image.problems();
    return programmingFrame(*image);
}

} // namespace velmora::exchange
