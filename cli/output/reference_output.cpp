#include "cli/output/reference_output.h"

#include <charconv>
#include <cmath>
#include <map>
#include <mutex>

#include <elprops/vocabulary.hpp>

namespace elprops::cli {
namespace {

// The field names, kept for the program's life.
std::vector<std::string> MakeReferenceNames() {
  std::vector<std::string> names;
  for (const property_info& p : property_table()) {
    const std::string name(p.name);
    names.push_back(name + "_reference");
    names.push_back(name + "_reference_source");
    names.push_back(name + "_deviation");
    names.push_back(name + "_within_span");
  }
  names.emplace_back("notes");
  return names;
}

// Significant digits (six unless told) with the decimal separator given.
std::string Digits(double value, std::string_view separator, int digits = 6) {
  char text[48];
  const auto r = std::to_chars(text, text + sizeof text, value, std::chars_format::general, digits);
  std::string shown(text, r.ptr);
  if (const std::size_t dot = shown.find('.'); dot != std::string::npos) shown.replace(dot, 1, separator);
  return shown;
}

std::string SpanText(const reference_value& v, std::string_view separator) {
  return Digits(v.t_min, separator, 4) + " to " + Digits(v.t_max, separator, 4) + " °C, w up to " +
         Digits(v.w_max, separator, 4);
}

std::string ReferenceLine(const reference_value& v, std::string_view separator) {
  const property_info& p = describe(v.property);
  std::string line(p.words);
  if (!v.available) return line + ": no reference model\n";
  line += ": reference ";
  line += std::isfinite(v.value) ? Digits(v.value, separator) + " " + std::string(p.unit) : std::string("none");
  line += " (" + std::string(v.source) + ")";
  if (std::isfinite(v.deviation)) {
    line += ", ours differs by " + std::string(v.deviation >= 0.0 ? "+" : "") +
            Digits(100.0 * v.deviation, separator, 3) + " %";
  }
  line += v.within_span ? ", within the span of its data" : ", outside the span of its data";
  return line + " (" + SpanText(v, separator) + ")\n";
}

}  // namespace

void FindReference(substance_id substance, float massFraction, float temperature, PointReference& reference) {
  reference.known = false;
  reference.notes.clear();
  reference.notesText.clear();
  const expected<reference_set> values = reference_values(substance, massFraction, temperature);
  if (!values) return;
  reference.known = true;
  reference.values = *values;
  expected<std::vector<std::string>> notes = no_reference_notes(substance, massFraction, temperature);
  if (!notes) return;
  reference.notes = std::move(*notes);
  for (const std::string& note : reference.notes) {
    if (!reference.notesText.empty()) reference.notesText += "; ";
    reference.notesText += note;
  }
}

std::span<const std::string_view> ReferenceFields() {
  static const std::vector<std::string> names = MakeReferenceNames();
  static const std::vector<std::string_view> fields(names.begin(), names.end());
  return fields;
}

std::span<const std::string_view> WithReferenceFields(std::span<const std::string_view> fields) {
  static std::mutex mutex;
  static std::map<const std::string_view*, std::vector<std::string_view>> made;
  const std::lock_guard lock(mutex);
  std::vector<std::string_view>& all = made[fields.data()];
  if (all.empty()) {
    all.assign(fields.begin(), fields.end());
    const std::span<const std::string_view> more = ReferenceFields();
    all.insert(all.end(), more.begin(), more.end());
  }
  return all;
}

namespace {

void WriteValueFields(RecordWriter& record, const reference_value& v) {
  if (!v.available) {
    record.Null().Null().Null().Null();
    return;
  }
  if (std::isfinite(v.value)) {
    record.Double(v.value);
  } else {
    record.Null();
  }
  record.Text(v.source);
  if (std::isfinite(v.deviation)) {
    record.Double(v.deviation);
  } else {
    record.Null();
  }
  record.Raw(v.within_span ? "true" : "false");
}

void AppendNotes(OutputBuffer& out, const PointReference& reference, std::string_view indent) {
  for (const std::string& note : reference.notes) {
    out.Append(indent);
    out.Append("note: ");
    out.Append(note);
    out.Append('\n');
  }
}

}  // namespace

void WriteReferenceFields(RecordWriter& record, const PointReference* reference) {
  if (reference == nullptr || !reference->known) {
    for (std::size_t k = 0; k < ReferenceFields().size(); ++k) record.Null();
    return;
  }
  for (const reference_value& v : reference->values) WriteValueFields(record, v);
  record.TextOrNull(reference->notesText);
}

void WriteReferenceFields(RecordWriter& record, const PointReference* reference,
                          std::span<const property_kind> properties) {
  if (reference == nullptr || !reference->known) {
    for (std::size_t k = 0; k < 4 * properties.size() + 1; ++k) record.Null();
    return;
  }
  for (const property_kind p : properties) WriteValueFields(record, reference->values[static_cast<std::size_t>(p)]);
  record.TextOrNull(reference->notesText);
}

void AppendReferenceLines(OutputBuffer& out, const PointReference& reference, std::span<const property_kind> properties,
                          std::string_view decimalSeparator) {
  if (!reference.known) return;
  out.Append("\nindependent reference models:\n");
  for (const property_kind p : properties) {
    out.Append(ReferenceLine(reference.values[static_cast<std::size_t>(p)], decimalSeparator));
  }
  AppendNotes(out, reference, {});
}

void WriteReferenceFields(RecordWriter& record, const PointReference* reference, property_kind property) {
  if (reference == nullptr || !reference->known) {
    for (std::size_t k = 0; k < std::size(kOnePropertyReferenceFields); ++k) record.Null();
    return;
  }
  WriteValueFields(record, reference->values[static_cast<std::size_t>(property)]);
  record.TextOrNull(reference->notesText);
}

void AppendReferenceLines(OutputBuffer& out, const PointReference& reference, property_kind property,
                          std::string_view decimalSeparator, std::string_view indent) {
  if (!reference.known) return;
  out.Append(indent);
  out.Append(ReferenceLine(reference.values[static_cast<std::size_t>(property)], decimalSeparator));
  AppendNotes(out, reference, indent);
}

void AppendReferenceLines(OutputBuffer& out, const PointReference& reference, std::string_view decimalSeparator) {
  if (!reference.known) return;
  out.Append("\nindependent reference models:\n");
  for (const reference_value& v : reference.values) out.Append(ReferenceLine(v, decimalSeparator));
  AppendNotes(out, reference, {});
}

}  // namespace elprops::cli
