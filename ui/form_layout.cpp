#include "ui/form_layout.h"

#include <cmath>
#include <string>

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

ControlLayout frame(const char* name, TwipRect rect, bool outlined) {
    return {name, Kind::Frame, rect, "", Align::Left, kDialogPointSize, outlined};
}

ControlLayout label(const char* name, TwipRect rect, const char* caption, Align align = Align::Left,
                    double pointSize = kDialogPointSize) {
    return {name, Kind::Label, rect, caption, align, pointSize};
}

ControlLayout captionLabel(const char* name, int rowTop, const char* caption) {
    return label(name,
                 {kCaptionLeft, rowTop + kLabelDrop, kCaptionRight - kCaptionLeft, kLabelHeight},
                 caption, Align::Right);
}

ControlLayout rangeLabel(const char* name, int left, int rowTop, const char* caption) {
    return label(name, {left, rowTop + kLabelDrop, kParametersRight - left, kLabelHeight}, caption);
}

ControlLayout textBox(const std::string& name, int left, int top, int width = kBoxWidth) {
    return {name, Kind::TextBox, {left, top, width, kBoxHeight}, ""};
}

ControlLayout control(const char* name, Kind kind, TwipRect rect, const char* caption = "") {
    return {name, kind, rect, caption};
}

std::string indexed(const char* array, int index) {
    return std::string(array) + "(" + std::to_string(index) + ")";
}

int positionLeft(int index) {
    return kPositionLeft + kPositionPitch * index;
}

// The option rows are taller than their frames: centre them on the frame.
void addOptionRow(std::vector<ControlLayout>& layout, const char* array, int frameTop) {
    const int top = frameTop + (kPositionFrameHeight - kOptionHeight) / 2;
    for (int i = 0; i < kPositionCount; ++i) {
        layout.push_back({indexed(array, i),
                          Kind::OptionButton,
                          {positionLeft(i), top, kOptionWidth, kOptionHeight},
                          ""});
    }
}

void addCheckRow(std::vector<ControlLayout>& layout, const char* array, int frameTop) {
    const int top = frameTop + (kPositionFrameHeight - kCheckSide) / 2;
    for (int i = 0; i < kPositionCount; ++i) {
        layout.push_back({indexed(array, i),
                          Kind::CheckBox,
                          {positionLeft(i), top, kCheckSide, kCheckSide},
                          ""});
    }
}

void addRangeBlock(std::vector<ControlLayout>& layout, int firstPair, int firstTop) {
    for (int row = 0; row < kRangeRowsPerBlock; ++row) {
        const int k = firstPair + row;
        const int top = firstTop + kRangeRowPitch * row;
        const std::string caption = "Range " + std::to_string(row + 1);
        layout.push_back({indexed("Label23", k),
                          Kind::Label,
                          {kRangeCaptionLeft, top + kLabelDrop,
                           kMinimumLeft - 60 - kRangeCaptionLeft, kLabelHeight},
                          caption,
                          Align::Right});
        layout.push_back(textBox(indexed("Text2", k), kMinimumLeft, top, kRangeBoxWidth));
        layout.push_back(textBox(indexed("Text3", k), kMaximumLeft, top, kRangeBoxWidth));
    }
}

std::vector<ControlLayout> buildLayout() {
    std::vector<ControlLayout> layout{
        frame("Frame3", {60, 60, 8295, 975}, true),
        control("Image1", Kind::Picture, {120, 240, 690, 720}),
        label("Label21", {900, 240, 2955, 315}, "Dravik", Align::Left, 12),
        label("Label22", {960, 660, 2955, 255}, "Velmora Tessor  v 1.5"),
        control("Command6", Kind::CommandButton, {3960, 240, 2535, 255}, "Importa file"),
        control("Command5", Kind::CommandButton, {3960, 660, 2535, 255}, "Salva file"),
        label("Label19", {6660, 240, 1575, 255}, "", Align::Center),
        label("Label20", {6660, 660, 1575, 255}, "Sconnesso", Align::Center),

        frame("Frame1", {60, 1020, 5595, 7935}, true),
        frame("Frame7", {120, 1260, 1455, 555}, true),
        control("Option1", Kind::OptionButton, {180, 1440, 675, 255}, "VHF"),
        control("Option2", Kind::OptionButton, {900, 1440, 615, 255}, "UHF"),
        label("Label16", {1620, 1260 + kLabelDrop, 1140, kLabelHeight}, "Frequenza TX",
              Align::Right),
        textBox("txttx", 2820, 1260, 1155),
        label("Label15", {4020, 1260 + kLabelDrop, 975, kLabelHeight}, "165.1975"),
        control("Check2", Kind::CheckBox, {5040, 1320, 555, 195}, "Lo"),
        label("Label18", {1620, 1620 + kLabelDrop, 1140, kLabelHeight}, "Frequenza RX",
              Align::Right),
        textBox("txtrx", 2820, 1620, 1155),
        label("Label17", {4020, 1620 + kLabelDrop, 975, kLabelHeight}, "165.1975"),

        captionLabel("Labnumero", 2100, "Numero periferico"),
        textBox("Txtnumero", kInputLeft, 2100),
        rangeLabel("Label1", kRangeLeft, 2100, "001 - 9999"),
        captionLabel("labgruppo", 2460, "Gruppo"),
        textBox("Txtgruppo", kInputLeft, 2460),
        rangeLabel("Label2", kRangeLeft, 2460, "0 - 9"),
        captionLabel("Labmodif", 2820, "Modificatori"),
        textBox("Txtmodif1", kInputLeft, 2820, 735),
        textBox("Txtmodif2", 3180, 2820, 735),
        rangeLabel("Label3", kRangeLeft, 2820, "0 - 255  /  0 - 255"),
        captionLabel("Labcaodatt", 3180, "Codice attivazione"),
        textBox("Txtcodatt", kInputLeft, 3180),
        rangeLabel("Label4", kRangeLeft, 3180, "0 - 255  "),
        captionLabel("Labtono", 3540, "Tono subaudio"),
        control("Combotono", Kind::ComboBox, {kInputLeft, 3540, kBoxWidth, 315}),
        captionLabel("labsincro", 3900, "Durata sincronismo"),
        textBox("Textsincro", kInputLeft, 3900),
        rangeLabel("Label5", kRangeLeft, 3900, "(0 - 255) * 10 ms  "),
        captionLabel("laboutimp", 4260, "Durata attivaz. impuls."),
        textBox("Textoutimp", kInputLeft, 4260),
        rangeLabel("Label7", kRangeLeft, 4260, "(0 - 255) * 10 ms  "),
        captionLabel("Labripet", 4620, "Numero ripetizioni"),
        textBox("Text1", kInputLeft, 4620),
        rangeLabel("Label8", kRangeLeft, 4620, "1 - 9"),
        captionLabel("Labintert", 4980, "Intertempo ripetizioni"),
        textBox("Textintert", kInputLeft, 4980),
        rangeLabel("Label9", kRangeLeft, 4980, "5 - 20 secondi"),

        captionLabel("Labelmanca", 5340, "Posizione manca rete"),
        frame("Frame4", {2220, 5340, 1815, kPositionFrameHeight}, false),
    };
    addOptionRow(layout, "Optrete", 5340);
    layout.insert(
        layout.end(),
        {
            control("Command2", Kind::CommandButton, {4020, 5340, 1215, 255}, "Annulla"),
            label("Label29", {2520, 5640, 1275, 195}, "6 ...................... 1", Align::Center),
            captionLabel("Labscar", 5820, "Posizione batt.scar."),
            frame("Frame2", {2220, 5820, 1815, kPositionFrameHeight}, false),
        });
    addOptionRow(layout, "Optbatt", 5820);
    layout.insert(
        layout.end(),
        {
            control("Command3", Kind::CommandButton, {4020, 5820, 1215, 255}, "Annulla"),
            captionLabel("Label31", 6240, "Posizione Ins/DIS"),
            control("Option3", Kind::OptionButton, {positionLeft(0), 6240, 255, 255}),
            control("Option4", Kind::OptionButton, {positionLeft(5), 6240, 255, 255}),
            control("Check4", Kind::CheckBox, {4080, 6240, 1035, 255}, "Beep ON"),
            control("Check1", Kind::CheckBox, {300, 6630, 1935, 255}, "Funzione centralina"),
            frame("Frame6", {2220, 6540, 1695, kPositionFrameHeight}, false),
        });
    addCheckRow(layout, "Check3", 6540);
    layout.insert(
        layout.end(),
        {
            label("Label30",
                  {kPanelRangeLeft, 6660, kParametersRight - kPanelRangeLeft, kLabelHeight},
                  "Input DIRETTI"),
            captionLabel("Label10", 7020, "Tempo sirena"),
            textBox("Txtsir", kPanelInputLeft, 7020),
            rangeLabel("Label6", kPanelRangeLeft, 7020, "5 - 240 secondi"),
            captionLabel("Label12", 7380, "Tempo di ingresso"),
            textBox("txtin", kPanelInputLeft, 7380),
            rangeLabel("Label11", kPanelRangeLeft, 7380, "0 - 240 secondi"),
            captionLabel("Label14", 7740, "Tempo di uscita"),
            textBox("Txtout", kPanelInputLeft, 7740),
            rangeLabel("Label13", kPanelRangeLeft, 7740, "0 - 240 secondi"),
            control("Command4", Kind::CommandButton, {180, 8160, 2295, 555}, "Leggi"),
            control("Command1", Kind::CommandButton, {3180, 8160, 2295, 555}, "Programma"),

            frame("Frame5", {5700, 1020, 2655, 7935}, true),
            label("Label24(0)", {6300, 1260, 1515, 315}, "Monodirezionali", Align::Left, 9.75),
            label("Label25", {kMinimumLeft, 1680, kRangeBoxWidth, kLabelHeight}, "min",
                  Align::Center),
            label("Label26", {kMaximumLeft, 1680, kRangeBoxWidth, kLabelHeight}, "MAX",
                  Align::Center),
        });
    addRangeBlock(layout, 0, 1920);
    layout.insert(
        layout.end(),
        {
            control("Command7", Kind::CommandButton, {kMinimumLeft, 4800, 1335, 255}, "Clear"),
            label("Label24(1)", {6480, 5160, 1275, 315}, "Bidirezionali", Align::Left, 9.75),
            label("Label27", {kMinimumLeft, 5460, kRangeBoxWidth, kLabelHeight}, "min",
                  Align::Center),
            label("Label28", {kMaximumLeft, 5460, kRangeBoxWidth, kLabelHeight}, "MAX",
                  Align::Center),
        });
    addRangeBlock(layout, kRangeRowsPerBlock, 5700);
    layout.push_back(
        control("Command8", Kind::CommandButton, {kMinimumLeft, 8580, 1335, 255}, "Clear"));
    return layout;
}

} // namespace

const std::vector<ControlLayout>& formLayout() {
    static const std::vector<ControlLayout> layout = buildLayout();
    return layout;
}

int twipsToPixels(int twips, double dotsPerInch) {
    return static_cast<int>(std::lround(twips * dotsPerInch / kTwipsPerInch));
}

QRect twipsToPixels(const TwipRect& rect, double dotsPerInch) {
    return {twipsToPixels(rect.left, dotsPerInch), twipsToPixels(rect.top, dotsPerInch),
            twipsToPixels(rect.width, dotsPerInch), twipsToPixels(rect.height, dotsPerInch)};
}

} // namespace velmora
