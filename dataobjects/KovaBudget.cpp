#include "dataobjects/KovaBudget.h"

#include <algorithm>
#include <cctype>

#include "dataobjects/Main.h"
#include "dataobjects/Proc.h"
#include "platform/automation/ClassRegistry.h"

namespace KovaDataObjects {

using namespace platform::automation;

namespace {

constexpr const char* kManager = "ActivityBudget.ActivityBudgetManager";
constexpr const char* kNoManager = "ActivityBudgetManager Object could not be created";
constexpr const char* kCorrectFailed = "External Schedule Link could not be corrected";
constexpr const char* kUpdateSource = "KovaPlanIntegration";
constexpr const char* kCrLf = "\r\n";
// A list whose completion flag never comes is still left after this many requests.
constexpr int kMaxRequestsPerCostType = 32767;

struct CostTypeTexts {
    const char* word;
    const char* notFoundPrefix;
    const char* notFoundSuffix;
    const char* createPrefix;
};

const CostTypeTexts kTexts[5] = {
    {"Material", "Material Budget Line for Project: ", " not found in Kova",
     "Material Budget Line linked to Kova CE "},
    {"Labor", "Labor Budget Line for Project: ", " not found in Kova",
     "Labor Budget Line linked to Kova CE "},
    {"Equipment", "Equipment Budget Line for Project: ", " not found in Kova",
     "Equipment Budget Line linked to Kova CE "},
    {"Subcontracting", "Subcontracting Budget Line for Project: ", " not found  in Kova",
     "Subcontracting Budget Line linked to Kova CE "},
    {"Sundry", "Sundry Cost Budget Line for Project: ", " not found in Kova",
     "Sundry Budget Line linked to Kova CE "},
};

bool IsCostType(int32_t t) {
    return t >= 1 && t <= 5;
}

std::string Word(int32_t t) {
    return kTexts[t - 1].word;
}

std::string LineClass(int32_t t) {
    return "ActivityBudget." + Word(t) + "BudgetLine";
}

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    return text;
}

// Adds one message to the joined text: the first as it is, each further one after a line break, a
// message the text already holds (whatever its letter case) not again.
void JoinMessage(const std::string& message, std::string& text) {
    if (message.empty()) return;
    if (text.empty()) {
        text = message;
    } else if (Lower(text).find(Lower(message)) == std::string::npos) {
        text += kCrLf + message;
    }
}

// A date of the middleware's date object as the records hold it.
Date DateOf(const Object& javaDate) {
    return TimeStampToDate(JavaDateToTimeStamp(javaDate));
}

Variant DateObject(const std::string& stamp) {
    return Variant(TimeStampToJavaDate(stamp));
}

} // namespace

KovaBudget::~KovaBudget() {
    KovaBudgetLines.reset();
}

void KovaBudget::getAllBudgetLines(std::string& BOIConnector, std::string MsProjectName) {
    Err().Clear();
    KovaBudgetLines = Collection<KovaBudgetLine>();
    std::string text;
    Object manager = CreateObject(kManager);
    CurrentManager = manager;
    if (Err().Number != 0) {
        text = kNoManager;
        Err().Clear();
    } else {
        for (int32_t t = 1; t <= 5; ++t) {
            const std::string w = Word(t);
            Variant callId = int32_t(0), flag = std::string("N"), one = int32_t(1);
            for (int request = 0;; ++request) {
                // A list whose flag never reads "Y" is still left, with its list text for the caller.
                if (request == kMaxRequestsPerCostType) {
                    text = w + "BudgetLine List could not be retreived";
                    break;
                }
                const bool restarts = request > 0 && CLng(callId) == 0;
                Variant project = Project, plan = Plan, node = ConnectedCE, file = MsProjectName;
                Object set = ObjectOf(Call(manager, "list" + w + "BudgetLineForScheduling",
                                           {ByRef(project), ByRef(plan), ByRef(node), ByRef(file), ByRef(one),
                                            ByVal(int16_t(500)), ByRef(callId), ByRef(flag)}));
                if (Err().Number != 0) {
                    Err().Clear();
                    text = w + "BudgetLine List could not be retreived";
                    break;
                }
                // The call id and the flag travel by reference: a getter that cannot be read leaves the
                // middleware's own answer for the next request, and its failure is recorded after the page.
                Assign(callId, [&] { return Variant(CLng(Call(set, "getCallId"))); });
                Assign(flag, [&] { return Variant(CStr(Call(set, "getSetComplete"))); });
                Object page = ObjectOf(Call(set, "get" + w + "BudgetLineListReference"));
                const std::string sizeGetter = "size" + w + "Budgetline";
                int32_t size = 0;
                if (page) Assign(size, [&] { return CLng(Call(page, sizeGetter)); });
                if (page && size != 0) {
                    Collection<KovaData> charges;
                    for (int32_t i = 0; i < CLng(Call(page, sizeGetter)); ++i) {
                        Variant index = i;
                        Object e = ObjectOf(Call(page, "get" + w + "BudgetLineAt", {ByRef(index)}));
                        auto line = std::make_shared<KovaBudgetLine>();
                        Assign(line->BudgetLine, [&] { return CLng(Call(e, "getSequenceNumber")); });
                        Assign(line->ChargeElement,
                               [&] { return Trim(CStr(Call(e, "getChargeElementID"))); });
                        const std::string ce = Trim(line->ChargeElement);
                        if (charges.empty()) {
                            Err().Clear();
                            auto charge = std::make_shared<KovaData>();
                            charge->Code = ce;
                            charges.push_back(charge);
                        } else if (std::none_of(charges.begin(), charges.end(),
                                                [&](const auto& c) { return Trim(c->Code) == ce; })) {
                            auto charge = std::make_shared<KovaData>();
                            charge->Code = ce;
                            charges.push_back(charge);
                        }
                        auto text_ = [&](const char* getter) { return Trim(CStr(Call(e, getter))); };
                        auto number = [&](const char* getter) { return CDbl(Call(e, getter)); };
                        switch (t) {
                        case 1:
                            Assign(line->CostObject,
                                   [&] { return FormatItemCode(BOIConnector, CStr(Call(e, "getItem"))); });
                            Assign(line->CostObjectDescription, [&] { return text_("getItemDescription"); });
                            break;
                        case 2:
                            Assign(line->CostObject, [&] { return text_("getLabor"); });
                            Assign(line->CostObjectDescription, [&] { return text_("getLaborDescription"); });
                            break;
                        case 3:
                            Assign(line->CostObject, [&] { return text_("getEquipment"); });
                            Assign(line->CostObjectDescription,
                                   [&] { return text_("getEquipmentDescription"); });
                            break;
                        case 4:
                            Assign(line->CostObject, [&] { return text_("getSubcontracting"); });
                            Assign(line->CostObjectDescription,
                                   [&] { return text_("getSubcontractingDescription"); });
                            break;
                        case 5:
                            Assign(line->CostObject, [&] { return text_("getSundryCost"); });
                            Assign(line->CostObjectDescription,
                                   [&] { return text_("getSundryDescription"); });
                            break;
                        }
                        Assign(line->ProjectSpecific,
                               [&] { return CLng(Call(e, "getReferenceTypeOfCostUnit")) == 1; });
                        static const char* const kCostGetters[5] = {
                            "getMaterialCostPriceInSchedulingCurrency",
                            "getLaborCostAmountInSchedulingCurrency",
                            "getEquipmentCostAmountInSchedulingCurrency",
                            "getSubcontractingCostAmountInSchedulingCurrency",
                            "getSundryCostAmountInSchedulingCurrency"};
                        Assign(line->CostPrice, [&] { return number(kCostGetters[t - 1]); });
                        line->CostType = t;
                        switch (t) {
                        case 1:
                            Assign(line->PhysicalUnit, [&] { return text_("getRequiredUnit"); });
                            Assign(line->PhysicalQuantity, [&] { return number("getRequiredQuantity"); });
                            line->Work = 0;
                            // A failure while reading the earlier fields of a material line is not kept.
                            Err().Clear();
                            break;
                        case 2: {
                            Assign(line->EmpTrgCode, [&] {
                                std::string employee = text_("getEmployee");
                                if (!employee.empty()) return Trim("EMP." + employee);
                                return Trim("TRG." + text_("getTradeGroup"));
                            });
                            Assign(line->PhysicalUnit, [&] { return text_("getUnit"); });
                            Assign(line->PhysicalQuantity, [&] { return number("getQuantity"); });
                            Assign(line->Work, [&] { return number("getRequiredQuantity"); });
                            break;
                        }
                        case 3:
                            line->EmpTrgCode = "";
                            Assign(line->PhysicalUnit, [&] { return text_("getTimeUnit"); });
                            Assign(line->PhysicalQuantity, [&] { return number("getDuration"); });
                            Assign(line->Work, [&] { return number("getRequiredDuration"); });
                            break;
                        case 4:
                            line->EmpTrgCode = "";
                            Assign(line->PhysicalQuantity, [&] { return number("getRequiredQuantity"); });
                            line->Work = 0;
                            Assign(line->PhysicalUnit, [&] { return text_("getRequiredUnit"); });
                            break;
                        case 5:
                            line->EmpTrgCode = "";
                            Assign(line->PhysicalUnit, [&] { return text_("getRequiredUnit"); });
                            Assign(line->PhysicalQuantity, [&] { return number("getRequiredQuantity"); });
                            line->Work = 0;
                            break;
                        }
                        Assign(line->StartDate,
                               [&] { return DateOf(ObjectOf(Call(e, "getRelatedStartDate"))); });
                        Assign(line->FinishDate,
                               [&] { return DateOf(ObjectOf(Call(e, "getRelatedFinishDate"))); });
                        KovaBudgetLines->push_back(line);
                    }
                    SetScheduleLinksToLinked(manager, &charges, t, MsProjectName);
                }
                if (Err().Number != 0) {
                    text = Err().Description;
                    Err().Clear();
                }
                if (CStr(flag) == "Y") break;
                // A request that started the list over and again gave no call id to go on with: the flag
                // will not end this list.
                if (restarts && CLng(callId) == 0) {
                    text = w + "BudgetLine List could not be retreived";
                    break;
                }
            }
        }
    }
    // The library's current manager stays set.
    manager.Release();
    if (!text.empty()) RaiseAbove(text);
    if (KovaBudgetLines->empty()) KovaBudgetLines.reset();
}

void KovaBudget::SetScheduleLinksToLinked(Object& manager, const Collection<KovaData>* charges,
                                          int32_t costType, const std::string& fileName) {
    if (!charges || !IsCostType(costType)) return;
    const std::string w = Word(costType);
    for (const auto& charge : *charges) {
        Variant project = Project, plan = Plan, one = int32_t(1);
        Call(manager, "addList" + w + "BudgetLine",
             {ByRef(project), ByRef(plan), ByVal(charge->Code), ByRef(one)});
        Object iterator = ObjectOf(Call(manager, "getIterator"));
        for (;;) {
            bool more = false;
            if (!Assign(more, [&] { return CBool(Call(iterator, "hasMoreElements")); }) || !more) break;
            // An element that cannot be taken ends the pass: the iterator would offer it forever.
            Object line;
            if (!Assign(line, [&] { return ObjectOf(Call(iterator, "nextelement")); })) break;
            Call(line, "setScheduleLink", {ByVal(int16_t(3))});
            Call(line, "setExternalSchedule", {ByVal(Trim(fileName))});
        }
        Call(manager, "synchronize");
        Call(manager, "releaseAll");
    }
}

void KovaBudget::getUpdatedBudgetLineFromKova(std::string& /*BOIConnector*/, std::string ChargeElement,
                                              int32_t KovaCostType, int32_t KovaSern, double& BudgetQty,
                                              double& BudgetCost, std::string& BudgetUnit, double& QtyReqd) {
    Err().Clear();
    CurrentManager = CreateObject(kManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoManager);
        return;
    }
    if (!IsCostType(KovaCostType)) return;
    const std::string w = Word(KovaCostType);
    Variant project = Project, plan = Plan, ce = ChargeElement, sern = KovaSern;
    Object result = ObjectOf(Call(CurrentManager, "show" + w + "BudgetLineForScheduling",
                                  {ByRef(project), ByRef(plan), ByRef(ce), ByRef(sern)}));
    Object reference = ObjectOf(Call(result, "get" + w + "BudgetLineReference"));
    Object line = ObjectOf(Call(reference, "get" + w + "BudgetLine"));
    if (line.IsNothing()) {
        const CostTypeTexts& texts = kTexts[KovaCostType - 1];
        RaiseAbove(texts.notFoundPrefix + Project + " Plan: " + Plan + " and Charge Element: " +
                   ChargeElement + " with Serial Number: " + std::to_string(KovaSern) + texts.notFoundSuffix);
        return;
    }
    auto number = [&](const char* getter) { return CDbl(Call(line, getter)); };
    auto unit = [&](const char* getter) { return Trim(CStr(Call(line, getter))); };
    switch (KovaCostType) {
    case 1:
        Assign(QtyReqd, [&] { return number("getRequiredQuantity"); });
        Assign(BudgetUnit, [&] { return unit("getRequiredUnit"); });
        Assign(BudgetCost, [&] { return number("getMaterialCostPriceInSchedulingCurrency"); });
        break;
    case 2:
        Assign(BudgetQty, [&] { return number("getRequiredQuantity"); });
        Assign(BudgetUnit, [&] { return unit("getUnit"); });
        Assign(QtyReqd, [&] { return number("getQuantity"); });
        break;
    case 3:
        Assign(BudgetQty, [&] { return number("getRequiredDuration"); });
        Assign(BudgetUnit, [&] { return unit("getTimeUnit"); });
        Assign(QtyReqd, [&] { return number("getDuration"); });
        Assign(BudgetCost, [&] { return number("getEquipmentCostAmountInSchedulingCurrency"); });
        break;
    case 4:
        Assign(BudgetUnit, [&] { return unit("getRequiredUnit"); });
        Assign(QtyReqd, [&] { return number("getRequiredQuantity"); });
        Assign(BudgetCost, [&] { return number("getSubcontractingCostAmountInSchedulingCurrency"); });
        break;
    case 5:
        Assign(BudgetUnit, [&] { return unit("getRequiredUnit"); });
        Assign(QtyReqd, [&] { return number("getRequiredQuantity"); });
        break;
    }
    line.Release();
}

void KovaBudget::correctScheduleLinks(std::string& /*BOIConnector*/, int32_t CostType,
                                      std::string ChargeElement, int32_t BudgetLine) {
    Err().Clear();
    CurrentManager = CreateObject(kManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoManager);
        return;
    }
    Object line;
    if (IsCostType(CostType)) {
        Variant project = Project, plan = Plan, ce = ChargeElement, number = BudgetLine;
        line = ObjectOf(Call(CurrentManager, "show" + Word(CostType) + "BudgetLine",
                             {ByRef(project), ByRef(plan), ByRef(ce), ByRef(number)}));
    }
    Call(line, "setScheduleLink", {ByVal(int16_t(2))});
    Call(CurrentManager, "synchronize");
    if (Err().Number != 0)
        RaiseAbove(kCorrectFailed + std::string(kCrLf) + ExtractErrorMessage(Err().Description));
}

void KovaBudget::createBudgetLineinKova(std::string& BOIConnector, int32_t& KovaSern, int16_t KovaCostType,
                                        std::string ChargeElement, std::string CostObject, double Quantity,
                                        std::string StartDate, std::string FinishDate, std::string MsProject,
                                        std::string Employee, std::string TradeGroup) {
    Err().Clear();
    CurrentManager = CreateObject(kManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoManager);
        return;
    }
    Object line;
    if (IsCostType(KovaCostType)) line = CreateObject(LineClass(KovaCostType));
    auto set = [&](const char* setter, Variant value) { Call(line, setter, {ByVal(std::move(value))}); };
    switch (KovaCostType) {
    case 1:
        set("setItem", BuildItemCode(Trim(CostObject), BOIConnector));
        set("setNetQuantity", Quantity);
        break;
    case 2:
        set("setLabor", Trim(CostObject));
        set("setQuantity", Quantity);
        if (!Employee.empty())
            set("setEmployee", Trim(Employee));
        else
            set("setTradeGroup", Trim(TradeGroup));
        break;
    case 3:
        set("setEquipment", Trim(CostObject));
        set("setDuration", Quantity);
        break;
    case 4:
        set("setSubcontracting", Trim(CostObject));
        set("setQuantity", Quantity);
        break;
    case 5:
        set("setSundryCost", Trim(CostObject));
        set("setQuantity", Quantity);
        break;
    }
    set("setProjectID", Trim(Project));
    set("setPlanID", Trim(Plan));
    set("setChargeElementID", Trim(ChargeElement));
    set("setScheduleLink", int16_t(3));
    set("setRelatedStartDate", DateObject(StartDate));
    set("setRelatedFinishDate", DateObject(FinishDate));
    set("setExternalSchedule", MsProject);
    Variant lineRef(line);
    Call(CurrentManager, "Add", {ByRef(lineRef)});
    Call(CurrentManager, "synchronize");
    Call(CurrentManager, "releaseAll");
    if (Err().Number == 0) {
        Assign(KovaSern, [&] { return CLng(Call(line, "getSequenceNumber")); });
    } else if (IsCostType(KovaCostType)) {
        RaiseAbove(kTexts[KovaCostType - 1].createPrefix + Trim(ChargeElement) + " with Cost Object " +
                   Trim(CostObject) + " cannot be created. Errormessage;" + kCrLf +
                   ExtractErrorMessage(Err().Description));
    } else {
        RaiseAbove(ExtractErrorMessage(Err().Description));
    }
}

Collection<KovaData> KovaBudget::updateBudgetLinesInKova(std::string& BOIConnector, int32_t Ownership,
                                                         Collection<KovaBudgetLine>& colBdgtLines,
                                                         int32_t DeleteBL, std::string strMSProjectName) {
    Err().Clear();
    Collection<KovaData> result;
    std::string message;
    CurrentManager = CreateObject(kManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoManager);
        return result;
    }
    Object sequences[5];
    for (int32_t t = 1; t <= 5; ++t)
        sequences[t - 1] = CreateObject(LineClass(t) + "Seq");
    const bool sendQuantities = Ownership == 2 || Ownership == 4;
    const std::string file = Trim(strMSProjectName);
    for (const auto& bl : colBdgtLines) {
        if (!bl || !IsCostType(bl->CostType)) continue;
        const int32_t t = bl->CostType;
        Object line = CreateObject(LineClass(t));
        auto set = [&](const char* setter, Variant value) { Call(line, setter, {ByVal(std::move(value))}); };
        switch (bl->KeyOnly ? 0 : t) {
        case 1:
            set("setItem", BuildItemCode(Trim(bl->CostObject), BOIConnector));
            if (sendQuantities) set("setRequiredQuantity", bl->PhysicalQuantity);
            break;
        case 2:
            set("setLabor", Trim(bl->CostObject));
            if (sendQuantities) set("setRequiredQuantity", bl->Work);
            if (bl->ResourceType == "EMP") set("setEmployee", Trim(bl->EmpTrgCode));
            if (bl->ResourceType == "TRG") set("setTradeGroup", Trim(bl->EmpTrgCode));
            break;
        case 3:
            set("setEquipment", Trim(bl->CostObject));
            if (sendQuantities) set("setRequiredDuration", bl->Work);
            break;
        case 4:
            set("setSubcontracting", Trim(bl->CostObject));
            if (sendQuantities) {
                set("setRequiredQuantity", bl->PhysicalQuantity);
                set("setRequiredUnit", Trim(bl->PhysicalUnit));
            }
            break;
        case 5:
            set("setSundryCost", Trim(bl->CostObject));
            if (sendQuantities) set("setRequiredQuantity", bl->PhysicalQuantity);
            break;
        }
        set("setProjectID", Trim(Project));
        set("setPlanID", Trim(Plan));
        set("setChargeElementID", Trim(bl->ChargeElement));
        set("setSequenceNumber", Trim(std::to_string(bl->BudgetLine)));
        if (!bl->KeyOnly) {
            set("setRelatedStartDate", DateObject(DateToTimeStamp(bl->StartDate)));
            set("setRelatedFinishDate", DateObject(DateToTimeStamp(bl->FinishDate)));
        }
        set("setExternalSchedule", file);
        Variant lineRef(line);
        Call(sequences[t - 1], "add" + Word(t) + "BudgetLine", {ByRef(lineRef)});
    }
    for (int32_t t = 1; t <= 5; ++t) {
        const std::string w = Word(t);
        Object& sequence = sequences[t - 1];
        if (CLng(Call(sequence, "size" + w + "Budgetline")) == 0) {
            // Every cost type is sent; a line with only the scope stands for none.
            Object filler = CreateObject(LineClass(t));
            Call(filler, "setProjectID", {ByVal(Trim(Project))});
            Call(filler, "setPlanID", {ByVal(Trim(Plan))});
            Call(filler, "setExternalSchedule", {ByVal(file)});
            Variant fillerRef(filler);
            Call(sequence, "add" + w + "BudgetLine", {ByRef(fillerRef)});
        }
        Variant sequenceRef(sequence), deleteRef = DeleteBL;
        Object answer = ObjectOf(Call(CurrentManager, "update" + w + "BudgetLineForScheduling",
                                      {ByRef(sequenceRef), ByRef(deleteRef)}));
        if (answer.IsNothing()) {
            // The failed call's text joins the refusals gathered so far instead of replacing them.
            JoinMessage(ExtractErrorMessage(Err().Description), message);
            Err().Clear();
            continue;
        }
        Object errors = ObjectOf(Call(answer, "getActivityBudgetErrorSeq"));
        if (errors.IsNothing()) continue;
        int32_t size = CLng(Call(errors, "sizeActivityBudgetErrorStruct"));
        for (int32_t j = 0; j < size; ++j) {
            Variant index = j;
            Object entry = ObjectOf(Call(errors, "getActivityBudgetErrorStructAt", {ByRef(index)}));
            if (CLng(Call(entry, "getReturnValue")) == 1) {
                auto data = std::make_shared<KovaData>();
                data->Code = Trim(CStr(Call(entry, "getChargeElementID")));
                data->Number = CLng(Call(entry, "getSequenceNumber"));
                data->Description = Trim(std::to_string(t));
                result.push_back(data);
            } else {
                JoinMessage(CStr(Call(entry, "getProjectID")) + CStr(Call(entry, "getPlanID")) +
                                CStr(Call(entry, "getChargeElementID")) +
                                CStr(Call(entry, "getSequenceNumber")) + CStr(Call(entry, "getmessage")),
                            message);
            }
        }
    }
    // The library's current manager stays set.
    if (!message.empty()) Err().Raise(777, kUpdateSource, message);
    return result;
}

const MemberTable<KovaBudget>& KovaBudget::Members() {
    using K = KovaBudget;
    auto text = [](std::string K::*member) {
        return std::pair{[member](K& k, CallArgs&) -> Variant { return k.*member; },
                         [member](K& k, CallArgs& a) -> Variant {
                             k.*member = strict::ToString(a.Value());
                             return Variant();
                         }};
    };
    static const auto plan = text(&K::Plan), project = text(&K::Project), node = text(&K::ConnectedCE);
    static const MemberTable<K> table = {
        {"Plan", CallKind::PropertyLet, plan.second},
        {"Plan", plan.first},
        {"Project", CallKind::PropertyLet, project.second},
        {"Project", project.first},
        {"ConnectedCE", CallKind::PropertyLet, node.second},
        {"ConnectedCE", node.first},
        {"getAllBudgetLines",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0);
             k.getAllBudgetLines(connector, a.String(1));
             a.Set(0, connector);
             return Variant();
         }},
        {"getUpdatedBudgetLineFromKova",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0), unit = a.String(6);
             double qty = a.Double(4), cost = a.Double(5), required = a.Double(7);
             k.getUpdatedBudgetLineFromKova(connector, a.String(1), a.Long(2), a.Long(3), qty, cost, unit,
                                            required);
             a.Set(0, connector);
             a.Set(4, qty);
             a.Set(5, cost);
             a.Set(6, unit);
             a.Set(7, required);
             return Variant();
         }},
        {"correctScheduleLinks",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0);
             k.correctScheduleLinks(connector, a.Long(1), a.String(2), a.Long(3));
             a.Set(0, connector);
             return Variant();
         }},
        {"createBudgetLineinKova",
         [](K& k, CallArgs& a) -> Variant {
             std::string connector = a.String(0);
             int32_t sern = a.Long(1);
             k.createBudgetLineinKova(connector, sern, a.Integer(2), a.String(3), a.String(4), a.Double(5),
                                      a.String(6), a.String(7), a.String(8), a.String(9), a.String(10));
             a.Set(0, connector);
             a.Set(1, sern);
             return Variant();
         }},
    };
    return table;
}

Collection<KovaBudgetLine> KovaBudget::getLinkedBudgetLines(std::string& BOIConnector, std::string MsProjectName) {
    Err().Clear();
    Collection<KovaBudgetLine> lines;
    CurrentManager = CreateObject(kManager);
    if (Err().Number != 0) {
        RaiseAbove(kNoManager);
        return lines;
    }
    static const char* const kCostObjectGetters[5] = {"getItem", "getLabor", "getEquipment", "getSubcontracting",
                                                      "getSundryCost"};
    for (int32_t t = 1; t <= 5; ++t) {
        Variant project = Trim(Project), plan = Trim(Plan), file = Trim(MsProjectName);
        Object list =
            ObjectOf(Call(CurrentManager, "listLinked" + Word(t) + "BudgetLine", {ByRef(project), ByRef(plan), ByRef(file)}));
        if (Err().Number != 0) {
            RaiseAbove(Word(t) + "BudgetLine List could not be retreived" + std::string(kCrLf) +
                       ExtractErrorMessage(Err().Description));
            return {};
        }
        for (const Object& e : ReadEnumeration(list)) {
            auto line = std::make_shared<KovaBudgetLine>();
            line->CostType = t;
            Assign(line->BudgetLine, [&] { return CLng(Call(e, "getSequenceNumber")); });
            Assign(line->ChargeElement, [&] { return Trim(CStr(Call(e, "getChargeElementID"))); });
            Assign(line->CostObject, [&] {
                const std::string code = CStr(Call(e, kCostObjectGetters[t - 1]));
                return t == 1 ? FormatItemCode(BOIConnector, code) : Trim(code);
            });
            lines.push_back(line);
        }
        if (Err().Number != 0) {
            RaiseAbove(Word(t) + "BudgetLine List could not be retreived" + std::string(kCrLf) +
                       ExtractErrorMessage(Err().Description));
            return {};
        }
    }
    return lines;
}

std::shared_ptr<KovaBudget> MakeKovaBudget(const std::string& project, const std::string& plan,
                                           const std::string& connectedCE, std::string& BOIConnector,
                                           bool& BudgetlinesTransferred, const std::string& MsProjectName) {
    auto budget = std::make_shared<KovaBudget>();
    budget->Project = project;
    budget->Plan = plan;
    budget->ConnectedCE = connectedCE;
    if (BudgetlinesTransferred) budget->getAllBudgetLines(BOIConnector, MsProjectName);
    return budget;
}

} // namespace KovaDataObjects
