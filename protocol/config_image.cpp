#include "protocol/config_image.h"

#include "values/text_value.h"
#include "values/tone_table.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace velmora {

namespace {

enum class Encoding {
    DigitValue,
    TextByte,
    ToneCode,
    TransmitLow,
    TransmitA,
    TransmitHigh,
    ReceiveLow,
    ReceiveA,
    ReceiveHigh,
    MainsMask,
    BatteryMask,
    ModeByte,
    LoFlag,
    InputMask,
    Marker,
};

using TextMember = std::string ParameterSet::*;
using RangeMember = std::array<std::string, kRangeCount> ParameterSet::*;

struct Field {
    int byte;
    Encoding how;
    const char* control; // names the control in a problem
    const char* caption;
    TextMember text;
};

constexpr Field kByteMap[] = {
    {1, Encoding::DigitValue, "Txtnumero", "Numero periferico", &ParameterSet::txtnumero},
    {2, Encoding::DigitValue, "Txtnumero", "Numero periferico", &ParameterSet::txtnumero},
    {3, Encoding::DigitValue, "Txtnumero", "Numero periferico", &ParameterSet::txtnumero},
    {4, Encoding::DigitValue, "Txtnumero", "Numero periferico", &ParameterSet::txtnumero},
    {5, Encoding::TextByte, "Txtmodif1", "Modificatori", &ParameterSet::txtmodif1},
    {6, Encoding::TextByte, "Txtmodif2", "Modificatori", &ParameterSet::txtmodif2},
    {7, Encoding::TextByte, "Txtgruppo", "Gruppo", &ParameterSet::txtgruppo},
    {8, Encoding::ToneCode, "Combotono", "Tono subaudio", nullptr},
    {9, Encoding::TextByte, "Textsincro", "Durata sincronismo", &ParameterSet::textsincro},
    {10, Encoding::TextByte, "Textoutimp", "Durata attivaz. impuls.", &ParameterSet::textoutimp},
    {11, Encoding::TransmitLow, "txttx", "Frequenza TX", &ParameterSet::txttx},
    {12, Encoding::TransmitA, "txttx", "Frequenza TX", &ParameterSet::txttx},
    {13, Encoding::ReceiveLow, "txtrx", "Frequenza RX", &ParameterSet::txtrx},
    {14, Encoding::ReceiveA, "txtrx", "Frequenza RX", &ParameterSet::txtrx},
    {15, Encoding::TextByte, "Text1", "Numero ripetizioni", &ParameterSet::text1},
    {16, Encoding::TextByte, "Textintert", "Intertempo ripetizioni", &ParameterSet::textintert},
    {17, Encoding::Marker, "", "", nullptr},
    {18, Encoding::MainsMask, "Optrete", "Posizione manca rete", nullptr},
    {19, Encoding::BatteryMask, "Optbatt", "Posizione batt.scar.", nullptr},
    {20, Encoding::ModeByte, "Check1", "Funzione centralina", nullptr},
    {21, Encoding::TextByte, "Txtsir", "Tempo sirena", &ParameterSet::txtsir},
    {22, Encoding::TextByte, "txtin", "Tempo di ingresso", &ParameterSet::txtin},
    {23, Encoding::TextByte, "Txtout", "Tempo di uscita", &ParameterSet::txtout},
    {24, Encoding::TextByte, "Txtcodatt", "Codice attivazione", &ParameterSet::txtcodatt},
    {25, Encoding::TransmitHigh, "txttx", "Frequenza TX", &ParameterSet::txttx},
    {26, Encoding::ReceiveHigh, "txtrx", "Frequenza RX", &ParameterSet::txtrx},
    {27, Encoding::LoFlag, "Check2", "Lo", nullptr},
    {28, Encoding::InputMask, "Check3", "Input DIRETTI", nullptr},
    {29, Encoding::Marker, "", "", nullptr},
    {30, Encoding::Marker, "", "", nullptr},
    {31, Encoding::Marker, "", "", nullptr},
    {32, Encoding::Marker, "", "", nullptr},
};

// The four bytes of range k start at image byte 33 + 4k: minimum low and high byte,
// then maximum low and high byte.
struct RangeColumn {
    RangeMember texts;
    const char* control;
    const char* column;
};

constexpr RangeColumn kRangeColumns[] = {
    {&ParameterSet::text2, "Text2", "min"},
    {&ParameterSet::text3, "Text3", "MAX"},
};

constexpr int kFirstRangeByte = 33;
constexpr double kMarker = 0x41;
constexpr double kNotAByte = std::numeric_limits<double>::quiet_NaN();

std::string numberText(double value) {
    char text[32];
    const auto [end, error] = std::to_chars(text, text + sizeof text, value);
    return error == std::errc{} ? std::string(text, end) : std::string{};
}

std::string outOfRange(const std::string& caption, double value) {
    if (!std::isfinite(value))
        return caption + ": valore fuori dai limiti";
    return caption + ": valore " + numberText(value) + " fuori dai limiti";
}

// The four digits of the peripheral number: the decimal form of n + 10000 cut to its
// last four characters only works for whole numbers 0..9999, anything else is refused.
double peripheralDigit(double number, int byte) {
    if (!(number >= 0.0 && number <= 9999.0) || number != std::floor(number))
        return kNotAByte;
    int whole = static_cast<int>(number);
    for (int place = byte; place < 4; ++place)
        whole /= 10;
    return whole % 10;
}

double positionMask(const std::array<bool, kPositionCount>& selected) {
    int mask = 0;
    for (int bit = 0; bit < kPositionCount; ++bit)
        if (!selected[static_cast<std::size_t>(kPositionCount - 1 - bit)])
            mask |= 1 << bit;
    return mask;
}

double inputMask(const std::array<bool, kPositionCount>& ticked) {
    int mask = 0;
    for (int bit = 0; bit < kPositionCount; ++bit)
        if (ticked[static_cast<std::size_t>(kPositionCount - 1 - bit)])
            mask |= 1 << bit;
    return mask;
}

double modeByte(const ParameterSet& parameters) {
    if (!parameters.check1)
        return 0;
    return (parameters.option3 ? 2 : 1) + (parameters.check4 ? 4 : 0);
}

double toneCode(int row) {
    if (row < 0 || row >= static_cast<int>(kToneTable.size()))
        return kNotAByte;
    return kToneTable[static_cast<std::size_t>(row)].code;
}

class Encoder {
public:
    explicit Encoder(const ParameterSet& parameters)
        : parameters_(parameters), peripheralNumber_(textValue(parameters.txtnumero)),
          transmit_(transmitFrequencyBytes(textValue(parameters.txttx))),
          receive_(receiveFrequencyBytes(textValue(parameters.txtrx))) {}

    void encodeField(const Field& field) {
        if (store(field.byte, quantity(field)))
            return;
        const double controlValue = field.text ? textValue(parameters_.*field.text)
                                               : static_cast<double>(parameters_.combotonoRow);
        report(field.control, field.caption, controlValue);
    }

    // Each text of range k is read once for its low and its high byte.
    void encodeRange(int k) {
        int byte = kFirstRangeByte + 4 * k;
        for (const RangeColumn& range : kRangeColumns) {
            const double value = textValue((parameters_.*range.texts)[static_cast<std::size_t>(k)]);
            const double high = std::floor(value / 256.0);
            const bool lowStored = store(byte++, roundHalfEven(value - 256.0 * high));
            const bool highStored = store(byte++, roundHalfEven(high));
            if (!lowStored || !highStored)
                reportRange(k, range, value);
        }
    }

    Result<Image> result() {
        if (!problems_.empty())
            return problems_;
        return image_;
    }

private:
    double quantity(const Field& field) const {
        const ParameterSet& p = parameters_;
        switch (field.how) {
        case Encoding::DigitValue:
            return peripheralDigit(peripheralNumber_, field.byte);
        case Encoding::TextByte:
            return roundHalfEven(textValue(p.*field.text));
        case Encoding::ToneCode:
            return toneCode(p.combotonoRow);
        case Encoding::TransmitLow:
            return transmit_.nLow;
        case Encoding::TransmitA:
            return transmit_.aByte;
        case Encoding::TransmitHigh:
            return transmit_.nHigh;
        case Encoding::ReceiveLow:
            return receive_.nLow;
        case Encoding::ReceiveA:
            return receive_.aByte;
        case Encoding::ReceiveHigh:
            return receive_.nHigh;
        case Encoding::MainsMask:
            return positionMask(p.optrete);
        case Encoding::BatteryMask:
            return positionMask(p.optbatt);
        case Encoding::ModeByte:
            return modeByte(p);
        case Encoding::LoFlag:
            return p.check2 ? 1 : 0;
        case Encoding::InputMask:
            return inputMask(p.check3);
        case Encoding::Marker:
            return kMarker;
        }
        return kNotAByte;
    }

    void reportRange(int k, const RangeColumn& range, double value) {
        const std::string group = k < 8 ? "Monodirezionali" : "Bidirezionali";
        const std::string caption =
            group + " Range " + std::to_string(k % 8 + 1) + " " + range.column;
        report(std::string(range.control) + "(" + std::to_string(k) + ")", caption, value);
    }

    // Stores one byte when its value can be one.
    bool store(int byte, double value) {
        if (!(value >= 0.0 && value <= 255.0))
            return false;
        imageByte(image_, byte) = static_cast<std::uint8_t>(value);
        return true;
    }

    // Records a control whose value cannot be a byte, once.
    void report(const std::string& control, const std::string& caption, double controlValue) {
        const bool known = std::any_of(problems_.begin(), problems_.end(),
                                       [&](const Problem& p) { return p.field == control; });
        if (!known)
            problems_.push_back({control, outOfRange(caption, controlValue)});
    }

    const ParameterSet& parameters_;
    double peripheralNumber_; // four image bytes come from it
    FrequencyBytes transmit_;
    FrequencyBytes receive_;
    Image image_{};
    Problems problems_;
};

} // namespace

Result<Image> encodeImage(const ParameterSet& parameters) {
    Encoder encoder(parameters);
    for (const Field& field : kByteMap)
        encoder.encodeField(field);
    for (int k = 0; k < kRangeCount; ++k)
        encoder.encodeRange(k);
    return encoder.result();
}

} // namespace velmora
