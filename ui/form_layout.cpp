#include "ui/form_layout.h"

#include <cmath>
#include <initializer_list>

namespace velmora {
namespace {

using Kind = ControlKind;
using Align = CaptionAlignment;

// Parameter rows: a right-aligned caption ending at x = 1900, the input control, then
// the range text. Labels sit 60 twips below their row so that their text lines up with
// the text inside the boxes.
constexpr int kCaptionLeft = 120;
constexpr int kCaptionRight = 1900;
constexpr int kLabelDrop = 60;
constexpr int kLabelHeight = 255;
constexpr int kBoxHeight = 285;
constexpr int kBoxWidth = 1815;
constexpr int kInputLeft = 2100;
constexpr int kPanelInputLeft = 2040;
constexpr int kRangeLeft = 4140;
constexpr int kPanelRangeLeft = 4080;
constexpr int kParametersRight = 5595; // inner edge of the parameter frame

// Position rows: member i stands at x = 2460 + 240 i, under the "6 .... 1" scale.
constexpr int kPositionLeft = 2460;
constexpr int kPositionPitch = 240;
constexpr int kOptionWidth = 255;
constexpr int kOptionHeight = 375;
constexpr int kCheckSide = 195;
constexpr int kPositionFrameHeight = 315;

// Range pairs: eight rows 360 apart per block, captions right-aligned before the boxes.
constexpr int kRangeRowPitch = 360;
constexpr int kRangeCaptionLeft = 5880;
constexpr int kMinimumLeft = 6780;
constexpr int kMaximumLeft = 7500;
constexpr int kRangeBoxWidth = 615;
constexpr int kRangeRowsPerBlock = 8;

constexpr ControlLayout frame(ControlId name, TwipRect rect, bool outlined) {
    return {name, rect, Align::Left, kDialogPointSize, outlined};
}

constexpr ControlLayout label(ControlId name, TwipRect rect, Align align = Align::Left,
                              double pointSize = kDialogPointSize) {
    return {name, rect, align, pointSize};
}

constexpr ControlLayout captionLabel(ControlId name, int rowTop) {
    return label(name,
                 {kCaptionLeft, rowTop + kLabelDrop, kCaptionRight - kCaptionLeft, kLabelHeight},
                 Align::Right);
}

constexpr ControlLayout rangeLabel(ControlId name, int left, int rowTop) {
    return label(name, {left, rowTop + kLabelDrop, kParametersRight - left, kLabelHeight});
}

constexpr ControlLayout textBox(ControlId name, int left, int top, int width = kBoxWidth) {
    return {name, {left, top, width, kBoxHeight}};
}

constexpr ControlLayout control(ControlId name, TwipRect rect) {
    return {name, rect};
}

constexpr int positionLeft(int index) {
    return kPositionLeft + kPositionPitch * index;
}

// The places in the order they are added; each control of the table must have one.
class LayoutBuilder {
public:
    constexpr void add(const ControlLayout& place) {
        if (count_ == kControlCount)
            throw "more places than the control table has controls";
        places_[count_++] = place;
    }
    constexpr void add(std::initializer_list<ControlLayout> places) {
        for (const ControlLayout& place : places)
            add(place);
    }
    constexpr const FormLayout& places() const { return places_; }

private:
    FormLayout places_{};
    std::size_t count_ = 0;
};

// The option rows are taller than their frames: centre them on the frame.
constexpr void addOptionRow(LayoutBuilder& layout, const PositionRow& row, int frameTop) {
    const int top = frameTop + (kPositionFrameHeight - kOptionHeight) / 2;
    for (int i = 0; i < kPositionCount; ++i) {
        layout.add(control(row[static_cast<std::size_t>(i)],
                           {positionLeft(i), top, kOptionWidth, kOptionHeight}));
    }
}

constexpr void addCheckRow(LayoutBuilder& layout, const PositionRow& row, int frameTop) {
    const int top = frameTop + (kPositionFrameHeight - kCheckSide) / 2;
    for (int i = 0; i < kPositionCount; ++i) {
        layout.add(control(row[static_cast<std::size_t>(i)],
                           {positionLeft(i), top, kCheckSide, kCheckSide}));
    }
}

constexpr void addRangeBlock(LayoutBuilder& layout, int firstPair, int firstTop) {
    for (int row = 0; row < kRangeRowsPerBlock; ++row) {
        const auto k = static_cast<std::size_t>(firstPair + row);
        const int top = firstTop + kRangeRowPitch * row;
        layout.add(label(kRangeRowCaptions[k],
                         {kRangeCaptionLeft, top + kLabelDrop,
                          kMinimumLeft - 60 - kRangeCaptionLeft, kLabelHeight},
                         Align::Right));
        layout.add(textBox(kRangeMinimumBoxes[k], kMinimumLeft, top, kRangeBoxWidth));
        layout.add(textBox(kRangeMaximumBoxes[k], kMaximumLeft, top, kRangeBoxWidth));
    }
}

constexpr FormLayout buildLayout() {
    LayoutBuilder layout;
    layout.add({
        frame("Frame3"_control, {60, 60, 8295, 975}, true),
        control("Image1"_control, {120, 240, 690, 720}),
        label("Label21"_control, {900, 240, 2955, 315}, Align::Left, 12),
        label("Label22"_control, {960, 660, 2955, 255}),
        control("Command6"_control, {3960, 240, 2535, 255}),
        control("Command5"_control, {3960, 660, 2535, 255}),
        label("Label19"_control, {6660, 240, 1575, 255}, Align::Center),
        label("Label20"_control, {6660, 660, 1575, 255}, Align::Center),

        frame("Frame1"_control, {60, 1020, 5595, 7935}, true),
        frame("Frame7"_control, {120, 1260, 1455, 555}, true),
        control("Option1"_control, {180, 1440, 675, 255}),
        control("Option2"_control, {900, 1440, 615, 255}),
        label("Label16"_control, {1620, 1260 + kLabelDrop, 1140, kLabelHeight}, Align::Right),
        textBox("txttx"_control, 2820, 1260, 1155),
        label("Label15"_control, {4020, 1260 + kLabelDrop, 975, kLabelHeight}),
        control("Check2"_control, {5040, 1320, 555, 195}),
        label("Label18"_control, {1620, 1620 + kLabelDrop, 1140, kLabelHeight}, Align::Right),
        textBox("txtrx"_control, 2820, 1620, 1155),
        label("Label17"_control, {4020, 1620 + kLabelDrop, 975, kLabelHeight}),

        captionLabel("Labnumero"_control, 2100),
        textBox("Txtnumero"_control, kInputLeft, 2100),
        rangeLabel("Label1"_control, kRangeLeft, 2100),
        captionLabel("labgruppo"_control, 2460),
        textBox("Txtgruppo"_control, kInputLeft, 2460),
        rangeLabel("Label2"_control, kRangeLeft, 2460),
        captionLabel("Labmodif"_control, 2820),
        textBox("Txtmodif1"_control, kInputLeft, 2820, 735),
        textBox("Txtmodif2"_control, 3180, 2820, 735),
        rangeLabel("Label3"_control, kRangeLeft, 2820),
        captionLabel("Labcaodatt"_control, 3180),
        textBox("Txtcodatt"_control, kInputLeft, 3180),
        rangeLabel("Label4"_control, kRangeLeft, 3180),
        captionLabel("Labtono"_control, 3540),
        control("Combotono"_control, {kInputLeft, 3540, kBoxWidth, 315}),
        captionLabel("labsincro"_control, 3900),
        textBox("Textsincro"_control, kInputLeft, 3900),
        rangeLabel("Label5"_control, kRangeLeft, 3900),
        captionLabel("laboutimp"_control, 4260),
        textBox("Textoutimp"_control, kInputLeft, 4260),
        rangeLabel("Label7"_control, kRangeLeft, 4260),
        captionLabel("Labripet"_control, 4620),
        textBox("Text1"_control, kInputLeft, 4620),
        rangeLabel("Label8"_control, kRangeLeft, 4620),
        captionLabel("Labintert"_control, 4980),
        textBox("Textintert"_control, kInputLeft, 4980),
        rangeLabel("Label9"_control, kRangeLeft, 4980),

        captionLabel("Labelmanca"_control, 5340),
        frame("Frame4"_control, {2220, 5340, 1815, kPositionFrameHeight}, false),
    });
    addOptionRow(layout, kMainsRow, 5340);
    layout.add({
        control("Command2"_control, {4020, 5340, 1215, 255}),
        label("Label29"_control, {2520, 5640, 1275, 195}, Align::Center),
        captionLabel("Labscar"_control, 5820),
        frame("Frame2"_control, {2220, 5820, 1815, kPositionFrameHeight}, false),
    });
    addOptionRow(layout, kBatteryRow, 5820);
    layout.add({
        control("Command3"_control, {4020, 5820, 1215, 255}),
        captionLabel("Label31"_control, 6240),
        control("Option3"_control, {positionLeft(0), 6240, 255, 255}),
        control("Option4"_control, {positionLeft(5), 6240, 255, 255}),
        control("Check4"_control, {4080, 6240, 1035, 255}),
        control("Check1"_control, {300, 6630, 1935, 255}),
        frame("Frame6"_control, {2220, 6540, 1695, kPositionFrameHeight}, false),
    });
    addCheckRow(layout, kInputRow, 6540);
    layout.add({
        label("Label30"_control,
              {kPanelRangeLeft, 6660, kParametersRight - kPanelRangeLeft, kLabelHeight}),
        captionLabel("Label10"_control, 7020),
        textBox("Txtsir"_control, kPanelInputLeft, 7020),
        rangeLabel("Label6"_control, kPanelRangeLeft, 7020),
        captionLabel("Label12"_control, 7380),
        textBox("txtin"_control, kPanelInputLeft, 7380),
        rangeLabel("Label11"_control, kPanelRangeLeft, 7380),
        captionLabel("Label14"_control, 7740),
        textBox("Txtout"_control, kPanelInputLeft, 7740),
        rangeLabel("Label13"_control, kPanelRangeLeft, 7740),
        control("Command4"_control, {180, 8160, 2295, 555}),
        control("Command1"_control, {3180, 8160, 2295, 555}),

        frame("Frame5"_control, {5700, 1020, 2655, 7935}, true),
        label("Label24(0)"_control, {6300, 1260, 1515, 315}, Align::Left, 9.75),
        label("Label25"_control, {kMinimumLeft, 1680, kRangeBoxWidth, kLabelHeight}, Align::Center),
        label("Label26"_control, {kMaximumLeft, 1680, kRangeBoxWidth, kLabelHeight}, Align::Center),
    });
    addRangeBlock(layout, 0, 1920);
    layout.add({
        control("Command7"_control, {kMinimumLeft, 4800, 1335, 255}),
        label("Label24(1)"_control, {6480, 5160, 1275, 315}, Align::Left, 9.75),
        label("Label27"_control, {kMinimumLeft, 5460, kRangeBoxWidth, kLabelHeight}, Align::Center),
        label("Label28"_control, {kMaximumLeft, 5460, kRangeBoxWidth, kLabelHeight}, Align::Center),
    });
    addRangeBlock(layout, kRangeRowsPerBlock, 5700);
    layout.add(control("Command8"_control, {kMinimumLeft, 8580, 1335, 255}));
    return layout.places();
}

// Whether each control of the table has exactly one place: a control missing from the
// layout, or placed twice, stops the build.
constexpr bool placesEveryControlOnce(const FormLayout& layout) {
    std::array<int, kControlCount> places{};
    for (const ControlLayout& place : layout)
        ++places[place.control.index()];
    for (const int count : places)
        if (count != 1)
            return false;
    return true;
}

constexpr FormLayout kLayout = buildLayout();
static_assert(placesEveryControlOnce(kLayout), "each control of the table needs one place");

} // namespace

const FormLayout& formLayout() {
    return kLayout;
}

int twipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

QRect twipsToPixels(const TwipRect& rect, double dotsPerInch) {
    return {twipsToPixels(rect.left, dotsPerInch), twipsToPixels(rect.top, dotsPerInch),
            twipsToPixels(rect.width, dotsPerInch), twipsToPixels(rect.height, dotsPerInch)};
}

} // namespace velmora
