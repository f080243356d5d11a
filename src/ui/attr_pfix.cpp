#include "ui/attr_pfix.h"

#include "processing/special_key_table.h"
#include "resource_ids.h"

namespace tavolin {

namespace {

struct Group {
  std::int32_t edit;
  std::int32_t tokens;
  std::int32_t add;
  SettingText AddCharsSettings::*value;
};

const Group kGroups[AttrPFix::groupCount] = {
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
  for (std::size_t i = 0; i < groupCount; ++i) {
    const Group& g = kGroups[i];
    setText(g.add, UiText::Add);
    v.resetContent(g.tokens);
    for (std::int32_t row = 0; row < SpecialKeyTable::rowCount(); ++row) {
      v.addString(g.tokens, SpecialKeyTable::rowToken(row));
    }
    v.setCurSel(g.tokens, 0);
    m_sTokens[i] = SpecialKeyTable::rowToken(0);
    v.limitText(g.edit, editLimit);
    v.setFont(g.edit, kEditFont);
  }
  for (std::size_t i = 0; i < groupCount; ++i) {
    const std::string& value = m_settings.*kGroups[i].value;
    m_sEdits[i] = value == "none" ? std::string() : value;
    v.setItemText(kGroups[i].edit, m_sEdits[i]);
  }
  updatePreview();
  return true;
}

bool AttrPFix::OnSetActive() {
  updatePreview();
  return true;
}

// The user's input is read from the control it is about: the typed text
// from its edit, the chosen token from its list.
void AttrPFix::onCommand(std::int32_t id, Notification notification) {
  for (std::size_t i = 0; i < groupCount; ++i) {
    const Group& g = kGroups[i];
    if (id == g.add && notification == Notification::Clicked) OnAdd(i);
    if (id == g.tokens && notification == Notification::SelectionChange) m_sTokens[i] = view().selectedText(id);
    if (id == g.edit && notification == Notification::EditChange) {
      m_sEdits[i] = view().getItemText(id);
      updatePreview();
    }
  }
  if (id == IDC_PFIX_SELECTION_COMPLETE && notification == Notification::Clicked) OnSelectionComplete();
}

// A token is always appended at the end, wherever the caret was; the
// edit's limit, which this page set, cuts what does not fit, in the edit
// and in the page's text alike. The edit may report its new text while
// the token goes in; the page's text is the one worked out before.
void AttrPFix::OnAdd(std::size_t group) {
  const std::string& token = m_sTokens[group];
  const std::string& typed = m_sEdits[group];
  const std::size_t limit = editLimit;
  std::string added = typed + token.substr(0, typed.size() < limit ? limit - typed.size() : 0);
  view().appendText(kGroups[group].edit, token);
  m_sEdits[group] = std::move(added);
  updatePreview();
}

void AttrPFix::OnSelectionComplete() {
  for (std::size_t i = 0; i < groupCount; ++i) {
    const std::string value = editText(i);
    m_settings.*kGroups[i].value = value.empty() ? std::string("none") : value;
  }
  setChanged();
}

// The texts are shown as typed, the card data as placeholders.
void AttrPFix::updatePreview() {
  const std::string data = text(UiText::Data);
  std::string line = editText(0) + "<" + data;
  if (m_dataPage.hasSecondRange()) {
    line += "1>" + editText(1) + "<" + data + "2>";
  } else {
    line += ">";
  }
  line += editText(2);
  view().setItemText(IDC_PFIX_PREVIEW, line);
}

}  // namespace tavolin
