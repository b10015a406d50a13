#pragma once

#include "model/form_model.h"
#include "protocol/frames.h"
#include "values/result.h"

#include <filesystem>

namespace velmora::exchange {

// The form that a window shows after importing an image, for a window whose operator
// had first chosen the band of the image's transmit frequency and which already held
// the image's control-panel times and direct inputs. Importing a control-panel image
// into a window still out of that mode clears the positions (the `Check1` reaction);
// the image is therefore applied twice: the second pass finds the mode already set and
// keeps the positions. So the form encodes back to the image it came from, and a value
// changed in it changes only its own bytes. An image the window's import refuses gives
// the same problems.
Result<FormModel> formFromImage(const Image& image);

// A programming file as the window's import sees it: the frame as stored and the form.
struct LoadedFile {
    Frame frame;
    FormModel form;
};

// Reads the file and checks its image as "Importa file" does; the problems are the ones
// the window would give.
Result<LoadedFile> loadConfiguration(const std::filesystem::path& path);

// The range-pair check of "Programma", then the window's encoding: the frame it would
// send for this form, or why it would send none.
Result<Frame> frameOfForm(const FormModel& form);

} // namespace velmora::exchange
