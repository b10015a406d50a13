#include "cli/form_loading.h"

#include "model/form_controls.h"
#include "progfile/programming_file.h"
#include "protocol/image_decode.h"
#include "protocol/range_check.h"

#include <string>

namespace velmora::cli {

Result<FormModel> formFromImage(const Image& image) {
    const Result<DecodedImage> decoded = decodeImage(image, ImageSource::FileImport);
    if (!decoded)
        return decoded.problems();
    FormModel form;
    form.selectStartBand();
    if (decoded->uhf)
        form.setValue("Option2", true);
    // Outside control-panel mode the import leaves these as the window held them.
    form.setText("Txtsir", decoded->txtsir);
    form.setText("txtin", decoded->txtin);
    form.setText("Txtout", decoded->txtout);
    for (int i = 0; i < kPositionCount; ++i)
        form.setValue(indexedName("Check3", i), decoded->check3[static_cast<std::size_t>(i)]);
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
        const std::string minimum = indexedName("Text2", *k);
        const std::string group = indexedName("Label24", *k < kRangeCount / 2 ? 0 : 1);
        return Problem{minimum, "Errore nei Range REP: " + form.text(group) + " " +
                                    form.text(indexedName("Label23", *k)) + " (" +
                                    form.text(minimum) + " - " +
                                    form.text(indexedName("Text3", *k)) + ")"};
    }
    const Result<Image> image = encodeImage(parameters);
    if (!image)
        return image.problems();
    return programmingFrame(*image);
}

} // namespace velmora::cli
