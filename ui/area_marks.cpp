#include "ui/area_marks.h"

#include "resources/resource.h"

const AreaBox kAreaBoxes[31] = {
    {"AC", IDC_AREA_AC},     {"AL", IDC_AREA_AL}, {"AP", IDC_AREA_AP},     {"AM", IDC_AREA_AM},
    {"BA", IDC_AREA_BA},     {"CE", IDC_AREA_CE}, {"MS", IDC_AREA_MS},     {"MG", IDC_AREA_MG},
    {"PA", IDC_AREA_PA},     {"PB", IDC_AREA_PB}, {"PY0F", IDC_AREA_PY0F}, {"PY0S", IDC_AREA_PY0S},
    {"PY0T", IDC_AREA_PY0T}, {"PR", IDC_AREA_PR}, {"PE", IDC_AREA_PE},     {"PI", IDC_AREA_PI},
    {"RJ", IDC_AREA_RJ},     {"RN", IDC_AREA_RN}, {"RS", IDC_AREA_RS},     {"RO", IDC_AREA_RO},
    {"RR", IDC_AREA_RR},     {"SC", IDC_AREA_SC}, {"SP", IDC_AREA_SP},     {"SE", IDC_AREA_SE},
    {"TO", IDC_AREA_TO},     {"UF", IDC_AREA_UF}, {"DF", IDC_AREA_DF},     {"ES", IDC_AREA_ES},
    {"GO", IDC_AREA_GO},     {"MA", IDC_AREA_MA}, {"MT", IDC_AREA_MT},
};

AreaMarks MarksFor(const std::vector<std::string>& worked) {
  AreaMarks marks{};
  for (const std::string& area : worked) {
    for (size_t i = 0; i < marks.size(); ++i) {
      if (area == kAreaBoxes[i].code) marks[i] = true;
    }
  }
  return marks;
}
