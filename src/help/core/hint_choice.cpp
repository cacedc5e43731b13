#include "help/core/hint_choice.h"

namespace vorlix::help {

std::string ShortHint(std::string_view hint) {
  return std::string(hint.substr(0, hint.find('|')));
}

std::string LongHint(std::string_view hint) {
  const size_t bar = hint.find('|');
  return std::string(bar == std::string_view::npos ? hint : hint.substr(bar + 1));
}

std::string StandardButtonText(int modalResult, std::string_view caption) {
  switch (modalResult) {
    case mrOk:
      return "Closes the dialog box and saves any changes you have made.";
    case mrCancel:
      return "Closes the dialog box without saving any changes you have made.";
    case mrYes:
      return "Closes the dialog box and confirms the question with affirmative response (i.e: "
             "allows the requested action).";
    case mrNo:
      return "Closes the dialog box without confirmation of the question. (Negative response, "
             "i.e: disallows the requested action.)";
    default:
      break;
  }
  if (caption.find("Apply") != std::string_view::npos) {
    return "Saves all the changes you have made without closing the dialog box.";
  }
  if (caption.find("Help") != std::string_view::npos) {
    return "Click to display an overview of the dialog box.";
  }
  return {};
}

}  // namespace vorlix::help
