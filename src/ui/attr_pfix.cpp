#include "ui/attr_pfix.h"

#include "processing/special_key_table.h"
#include "resource_ids.h"

namespace tavolin {

namespace {

struct Group {
  std::int32_t edit;
  std::int32_t tokens;
  std::int32_t add;
  std::string AddCharsSettings::*value;
};

const Group kGroups[] = {
    {IDC_PFIX_PREFIX, IDC_PFIX_PREFIX_TOKENS, IDC_PFIX_PREFIX_ADD, &AddCharsSettings::sPrefix},
    {IDC_PFIX_INTERFIX, IDC_PFIX_INTERFIX_TOKENS, IDC_PFIX_INTERFIX_ADD, &AddCharsSettings::sInterfix},
    {IDC_PFIX_POSTFIX, IDC_PFIX_POSTFIX_TOKENS, IDC_PFIX_POSTFIX_ADD, &AddCharsSettings::sPostfix},
};

const FontSpec kEditFont{"Courier New", 16, 400};

}  // namespace

AttrPFix::AttrPFix(SettingsSource& owner, AttrData& dataPage, const UiLanguage& language)
    : PropertyPage(IDD_ATTR_PFIX, owner, language), m_dataPage(dataPage) {}

bool AttrPFix::OnInitDialog() {
  DialogView& v = view();
  setText(IDC_PFIX_PREVIEW_TITLE, UiText::CharacterSequence);
  setText(IDC_PFIX_PREFIX_GROUP, UiText::CharactersBefore);
  setText(IDC_PFIX_INTERFIX_GROUP, UiText::CharactersBetween);
  setText(IDC_PFIX_POSTFIX_GROUP, UiText::CharactersAfter);
  for (std::int32_t label : {IDC_PFIX_PREFIX_TOKENS_LABEL, IDC_PFIX_INTERFIX_TOKENS_LABEL,
                             IDC_PFIX_POSTFIX_TOKENS_LABEL}) {
    setText(label, UiText::AsciiCharacter);
  }
  setText(IDC_PFIX_SELECTION_COMPLETE, UiText::SelectionComplete);

  m_settings = m_owner.getAddCharsSettings();
  for (const Group& g : kGroups) {
    setText(g.add, UiText::Add);
    v.resetContent(g.tokens);
    for (std::int32_t row = 0; row < SpecialKeyTable::rowCount(); ++row) {
      v.addString(g.tokens, SpecialKeyTable::rowToken(row));
    }
    v.setCurSel(g.tokens, 0);
    v.limitText(g.edit, editLimit);
    v.setFont(g.edit, kEditFont);
  }
  for (const Group& g : kGroups) {
    const std::string& value = m_settings.*g.value;
    v.setItemText(g.edit, value == "none" ? std::string() : value);
  }
  updatePreview();
  return true;
}

bool AttrPFix::OnSetActive() {
  updatePreview();
  return true;
}

void AttrPFix::onCommand(std::int32_t id, Notification notification) {
  for (const Group& g : kGroups) {
    if (id == g.add && notification == Notification::Clicked) OnAdd(g.tokens, g.edit);
    if (id == g.edit && notification == Notification::EditChange) updatePreview();
  }
  if (id == IDC_PFIX_SELECTION_COMPLETE && notification == Notification::Clicked) OnSelectionComplete();
}

std::string AttrPFix::editText(std::int32_t id) { return view().getItemText(id).substr(0, maxTextLength); }

// A token is always appended at the end, wherever the caret was.
void AttrPFix::OnAdd(std::int32_t tokenList, std::int32_t edit) {
  view().appendText(edit, view().selectedText(tokenList));
  updatePreview();
}

void AttrPFix::OnSelectionComplete() {
  for (const Group& g : kGroups) {
    const std::string value = editText(g.edit);
    m_settings.*g.value = value.empty() ? std::string("none") : value;
  }
  setChanged();
}

// The texts are shown as typed, the card data as placeholders.
void AttrPFix::updatePreview() {
  const std::string data = text(UiText::Data);
  const std::string prefix = editText(IDC_PFIX_PREFIX);
  std::string line = prefix + "<" + data;
  if (m_dataPage.hasSecondRange()) {
    line += "1>" + editText(IDC_PFIX_INTERFIX) + "<" + data + "2>";
  } else {
    line += ">";
  }
  line += editText(IDC_PFIX_POSTFIX);
  view().setItemText(IDC_PFIX_PREVIEW, line);
}

}  // namespace tavolin
