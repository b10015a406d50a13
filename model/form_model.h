#pragma once

#include "protocol/image_decode.h"
#include "values/controls.h"
#include "values/parameter_set.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>

namespace velmora {

// The window `Form1` as data: every control ("Txtnumero"_control, kMainsRow[3],
// kOperationStatus) with its value, enabled and visible state, and the reactions that
// keep dependent controls consistent. The Qt window is a view over it; the CLI and the
// tests drive it directly. A change made by a program step runs the same reaction as the
// operator's action; deselecting runs nothing; setting a value it already has runs nothing.
class FormModel {
public:
    // The window as created, before start-up: start texts, no band selected.
    FormModel();
    ~FormModel();
    // One model is one window: it is moved, never copied.
    FormModel(const FormModel&) = delete;
    FormModel& operator=(const FormModel&) = delete;
    FormModel(FormModel&&) noexcept;
    FormModel& operator=(FormModel&&) noexcept;

    const std::string& text(ControlId control) const; // text box text or label caption
    bool value(ControlId control) const;              // check box ticked / option selected
    bool enabled(ControlId control) const;
    bool visible(ControlId control) const;
    Background background(ControlId control) const; // labels
    int comboRow() const;                           // selected row of `Combotono`
    bool imageLoading() const;
    // The device-reply handling keeps the `Check1`, `Optrete` and `Optbatt` reactions out
    // while it is set; the link's recovery path clears it.
    void setImageLoading(bool loading);

    // Operations of the operator or of a program step; each runs its reactions.
    void setText(ControlId box, std::string text);
    void setValue(ControlId control, bool value); // tick/untick, select/deselect
    void setComboRow(int row);
    // "Annulla" (`Command2`, `Command3`), "Clear" (`Command7`, `Command8`)
    void press(ControlId button);
    void setEnabled(ControlId control, bool enabled);
    void setCaption(ControlId label, std::string caption, Background background);

    // Start-up step 1: `Option1` on, then `Option2` off (its reaction writes "160.0000").
    void selectStartBand();

    // The parameters as the encoder reads them.
    ParameterSet parameters() const;

    // Writes a decoded (already checked) image into the controls, field by field in the
    // decoding order, with the reactions this sets off; for a device reply also the
    // band choice and `ImageLoading`.
    void applyDecodedImage(const DecodedImage& image, ImageSource source);

    // Called with the name of every control whose state changed, in order.
    using Listener = std::function<void(std::string_view control)>;
    void setListener(Listener listener);

private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

} // namespace velmora
