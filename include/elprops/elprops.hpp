// elprops: physico-chemical properties of aqueous electrolyte solutions.
//
//   #include <elprops/elprops.hpp>
//
//   const auto nacl = elprops::find_substance("NaCl");
//   const elprops::result r = elprops::compute(*nacl, 0.1f, 20.0f);
//   if (r) std::printf("%.7g kg/m3\n", static_cast<double>(r->density));
//   else std::printf("%s\n", r.error().message.c_str());
#pragma once

#include <elprops/compute.hpp>
#include <elprops/derived.hpp>
#include <elprops/expected.hpp>
#include <elprops/export.hpp>
#include <elprops/reference.hpp>
#include <elprops/saturation.hpp>
#include <elprops/substance.hpp>
#include <elprops/text.hpp>
#include <elprops/units.hpp>
#include <elprops/validity.hpp>
#include <elprops/version.hpp>
#include <elprops/vocabulary.hpp>
