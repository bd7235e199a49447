#include "backends/qt/speech_draft_value.h"

#include <QVariantList>
#include <QVariantMap>

#include "backends/qt/qt_text.h"

namespace jinro::qt {

namespace {

QString jsString(const std::u16string& text) {
  QString out = QStringLiteral("'");
  for (char16_t c : text) {
    if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) {
      out += QChar(c);
    } else {
      out += QStringLiteral("\\u%1").arg(static_cast<unsigned>(c), 4, 16, QLatin1Char('0'));
    }
  }
  return out + QLatin1Char('\'');
}

}  // namespace

std::optional<SpeechDraft> speechDraftFromScript(const QVariant& result) {
  if (result.typeId() != QMetaType::QVariantMap) return std::nullopt;
  const QVariantMap m = result.toMap();
  SpeechDraft d;
  d.text = toUtf16(m.value(QStringLiteral("text")).toString());
  d.selectionStart = m.value(QStringLiteral("start")).toInt();
  d.selectionEnd = m.value(QStringLiteral("end")).toInt();
  d.focused = m.value(QStringLiteral("focused")).toBool();
  d.selectsChanged = m.value(QStringLiteral("changed")).toBool();
  for (const QVariant& pair : m.value(QStringLiteral("selects")).toList()) {
    const QVariantList p = pair.toList();
    if (p.size() == 2) d.selects.emplace_back(toUtf16(p[0].toString()), toUtf16(p[1].toString()));
  }
  return d;
}

QString speechDraftLiteral(const SpeechDraft& d) {
  QString selects;
  for (const auto& [name, value] : d.selects) {
    if (!selects.isEmpty()) selects += QLatin1Char(',');
    selects += QLatin1Char('[') + jsString(name) + QLatin1Char(',') + jsString(value) + QLatin1Char(']');
  }
  return QStringLiteral("{text:%1,start:%2,end:%3,focused:%4,selects:[%5]}")
      .arg(jsString(d.text))
      .arg(d.selectionStart)
      .arg(d.selectionEnd)
      .arg(d.focused ? QStringLiteral("true") : QStringLiteral("false"), selects);
}

}  // namespace jinro::qt
