// The independent reference models beside elprops's values, as the
// command line writes them with --reference: four fields per property and
// the notes of a point that no measurement stands behind.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <elprops/reference.hpp>
#include <elprops/substance.hpp>
#include <elprops/vocabulary.hpp>

#include "cli/output/output_buffer.h"
#include "cli/output/record_writer.h"

namespace elprops::cli {

// What the reference models say of one computed point.
struct PointReference {
  bool known = false;  // false: the point was not computed, nothing to compare
  reference_set values{};
  // The notes of the properties no measurement stands behind, and the same
  // joined by "; " as the notes column gives them.
  std::vector<std::string> notes;
  std::string notesText;
};

// The reference values and notes of a computed point; `known` false when
// the library refuses the point.
void FindReference(substance_id substance, float massFraction, float temperature, PointReference& reference);

// The fields after a record's own, per property in property order
//   <property>_reference, <property>_reference_source, <property>_deviation,
//   <property>_within_span
// then notes.
std::span<const std::string_view> ReferenceFields();

// `fields` followed by ReferenceFields(), made once and kept: `fields`
// must be one of a few static lists.
std::span<const std::string_view> WithReferenceFields(std::span<const std::string_view> fields);

// The reference fields of a point: the model's value in SI units, its
// source, the relative deviation (ours − reference) / reference and
// whether the point lies within the span of the model's data (true or
// false); no values for a property no model covers, none at all for a
// point that was not computed.
void WriteReferenceFields(RecordWriter& record, const PointReference* reference);

// A line per property ("density: reference 1070.75 kg/m³ (Laliberté 2009),
// ours -0.0105 %, within the span of its data"), then a "note: " line per
// note; numbers with the given decimal separator.
void AppendReferenceLines(OutputBuffer& out, const PointReference& reference, std::string_view decimalSeparator);

// The same for some of the properties: their four fields each, in the
// order given, then notes (the fields PointFields names for them).
void WriteReferenceFields(RecordWriter& record, const PointReference* reference,
                          std::span<const property_kind> properties);

// The fields of one property's reference, for an answer of solve: the
// four of WriteReferenceFields without the property's name, then notes.
inline constexpr std::string_view kOnePropertyReferenceFields[] = {"reference", "reference_source", "deviation",
                                                                   "within_span", "notes"};
void WriteReferenceFields(RecordWriter& record, const PointReference* reference, property_kind property);

// The lines of AppendReferenceLines for some of the properties, in the
// order given.
void AppendReferenceLines(OutputBuffer& out, const PointReference& reference, std::span<const property_kind> properties,
                          std::string_view decimalSeparator);

// One property's line of AppendReferenceLines and the notes, each line
// indented by `indent`.
void AppendReferenceLines(OutputBuffer& out, const PointReference& reference, property_kind property,
                          std::string_view decimalSeparator, std::string_view indent);

}  // namespace elprops::cli
