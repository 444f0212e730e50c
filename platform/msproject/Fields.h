#pragma once
// The numbered custom fields (Text1..Text30, Flag1..Flag20, Number1..Number20, Date1..Date10) as
// named members, forwarding to the indexed accessors of the class that expands the macros.

#define KOVA_MSP_NUMBERED_10(X) X(1) X(2) X(3) X(4) X(5) X(6) X(7) X(8) X(9) X(10)
#define KOVA_MSP_NUMBERED_20(X)                                                                              \
    KOVA_MSP_NUMBERED_10(X) X(11) X(12) X(13) X(14) X(15) X(16) X(17) X(18) X(19) X(20)
#define KOVA_MSP_NUMBERED_30(X)                                                                              \
    KOVA_MSP_NUMBERED_20(X) X(21) X(22) X(23) X(24) X(25) X(26) X(27) X(28) X(29) X(30)

#define KOVA_MSP_TEXT_MEMBER(n)                                                                              \
    std::string Text##n() const {                                                                            \
        return Text(n);                                                                                      \
    }                                                                                                        \
    void SetText##n(const std::string& value) {                                                              \
        SetText(n, value);                                                                                   \
    }
#define KOVA_MSP_FLAG_MEMBER(n)                                                                              \
    bool Flag##n() const {                                                                                   \
        return Flag(n);                                                                                      \
    }                                                                                                        \
    void SetFlag##n(bool value) {                                                                            \
        SetFlag(n, value);                                                                                   \
    }
#define KOVA_MSP_NUMBER_MEMBER(n)                                                                            \
    double Number##n() const {                                                                               \
        return Number(n);                                                                                    \
    }                                                                                                        \
    void SetNumber##n(double value) {                                                                        \
        SetNumber(n, value);                                                                                 \
    }
#define KOVA_MSP_DATE_MEMBER(n)                                                                              \
    platform::automation::Variant Date##n() const {                                                          \
        return DateField(n);                                                                                 \
    }                                                                                                        \
    void SetDate##n(const platform::automation::Variant& value) {                                            \
        SetDateField(n, value);                                                                              \
    }

// Text1..Text30, Flag1..Flag20, Number1..Number20, Date1..Date10.
#define KOVA_MSP_CUSTOM_FIELDS                                                                               \
    KOVA_MSP_NUMBERED_30(KOVA_MSP_TEXT_MEMBER)                                                               \
    KOVA_MSP_NUMBERED_20(KOVA_MSP_FLAG_MEMBER)                                                               \
    KOVA_MSP_NUMBERED_20(KOVA_MSP_NUMBER_MEMBER)                                                             \
    KOVA_MSP_NUMBERED_10(KOVA_MSP_DATE_MEMBER)
