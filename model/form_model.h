#pragma once

#include "values/parameter_set.h"
#include "protocol/image_decode.h"

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace velmora {

enum class ControlKind {
    TextBox,
    CheckBox,
    OptionButton,
    ComboBox,
    Label,
    Frame,
    CommandButton,
    Picture
};

// Back colour of a label: the system's button-face colour, green (0, 255, 0) or red (255, 0, 0).
enum class Background { ButtonFace, Green, Red };

// The window `Form1` as data: every control by its name ("Txtnumero", "Optrete(3)",
// "Text2(15)", "Label19"), with its value, enabled and visible state, and the reactions
// that keep dependent controls consistent. The Qt window is a view over it; the CLI and
// the tests drive it directly. A change made by a program step runs the same reaction
// as the operator's action; deselecting runs nothing; setting a value it already has
// runs nothing.
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

    bool has(std::string_view name) const;
    ControlKind kind(std::string_view name) const;
    std::vector<std::string> controlNames() const; // in creation order
    // The frame that holds a control ("Frame6" for "Check3(2)"); empty for the window itself.
    const std::string& container(std::string_view name) const;

    const std::string& text(std::string_view name) const; // text box text or label caption
    bool value(std::string_view name) const;              // check box ticked / option selected
    bool enabled(std::string_view name) const;
    bool visible(std::string_view name) const;
    Background background(std::string_view name) const; // labels
    int comboRow() const;                               // selected row of `Combotono`
    bool imageLoading() const;
    // The device-reply handling keeps the `Check1`, `Optrete` and `Optbatt` reactions out
    // while it is set; the link's recovery path clears it.
    void setImageLoading(bool loading);

    // Operations of the operator or of a program step; each runs its reactions.
    void setText(std::string_view name, std::string text);
    void setValue(std::string_view name, bool value); // tick/untick, select/deselect
    void setComboRow(int row);
    void
    press(std::string_view name); // "Annulla" (Command2, Command3), "Clear" (Command7, Command8)
    void setEnabled(std::string_view name, bool enabled);
    void setCaption(std::string_view name, std::string caption, Background background);

    // Start-up step 1: `Option1` on, then `Option2` off (its reaction writes "160.0000").
    void selectStartBand();

    // The parameters as the encoder reads them.
    ParameterSet parameters() const;

    // Writes a decoded (already checked) image into the controls, step by step in the
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
