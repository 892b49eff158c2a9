/* The C interface from C, built as C99 with -pedantic: the published digits
 * of the worked examples, errors, warnings and the texts' buffers. */
#include <elprops/elprops.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;
#define CHECK(condition, name)                                                \
  do {                                                                        \
    if (!(condition)) {                                                       \
      ++failures;                                                             \
      fprintf(stderr, "FAIL %s: %s (line %d)\n", name, #condition, __LINE__); \
    }                                                                         \
  } while (0)

/* Texts elprops-cli prints. */
static const char* const above_solubility =
    "above the solubility of NaCl at 20 \xC2\xB0"
    "C (0.2641; the solid is NaCl)";
static const char* const unknown_zero =
    "unknown substance \"0\": give its index 1 to 19, its formula (NaCl) or its name (sodium chloride)";

static int digits_are(float value, int digits, const char* expected) {
  char text[64];
  snprintf(text, sizeof text, "%.*g", digits, (double)value);
  return strcmp(text, expected) == 0;
}

/* Published rows, six significant digits. */
static void published_points_many_at_once(void) {
  static const int substances[] = {17, 19, 19, 1, 2, 11, 14};
  static const double fractions[] = {0.1, 0.0, 0.0, 0.1, 0.2, 0.3, 0.2};
  static const float temperatures[] = {20.0f, 20.0f, 100.0f, 20.0f, 50.0f, 60.0f, 80.0f};
  static const char* const published[][5] = {{"1070.64", "0.00120806", "0.0796479", "3747.39", "0.586735"},
                                             {"998.365", "0.000998348", "0.0727071", "4182.62", "0.599014"},
                                             {"958.096", "0.000282995", "0.0588512", "4215.45", "0.68215"},
                                             {"1046.91", "0.00129419", "0.0762351", "3889.78", "0.591527"},
                                             {"1096.68", "0.000843097", "0.0763824", "3449.91", "0.57396"},
                                             {"1261.73", "0.00180166", "0.0720157", "2838.36", "0.614814"},
                                             {"1171.38", "0.00107906", "0.0752341", "3700.88", "0.706108"}};
  enum { n = 7 };
  float columns[5][n];
  int statuses[n];
  size_t i, k;
  CHECK(elprops_compute_many(n, substances, n, fractions, n, temperatures, n, ELPROPS_MASS_FRACTION, columns[0],
                             columns[1], columns[2], columns[3], columns[4], statuses, NULL, 0, NULL) == ELPROPS_OK,
        "published points");
  for (i = 0; i < n; ++i) {
    CHECK(statuses[i] == ELPROPS_OK, published[i][0]);
    for (k = 0; k < 5; ++k) CHECK(digits_are(columns[k][i], 6, published[i][k]), published[i][k]);
  }
}

struct point_case {
  const char* name;
  int substance;
  double concentration;
  int unit;
  float temperature;
  elprops_status status;
  const char* text;
};

static void points_one_by_one(void) {
  /* 1000 w / ((1 - w) M) mol/kg with M = 58.44 g/mol is the mass fraction 0.1. */
  const double molality = 1000.0 * 0.1 / (0.9 * 58.44);
  const struct point_case cases[] = {
      {"worked example", 17, 0.1, ELPROPS_MASS_FRACTION, 20.0f, ELPROPS_OK, ""},
      {"worked example in percent", 17, 10.0, ELPROPS_MASS_PERCENT, 20.0f, ELPROPS_OK, ""},
      {"worked example in mol/kg", 17, molality, ELPROPS_MOLALITY, 20.0f, ELPROPS_OK, ""},
      {"above the solubility", 17, 0.3, ELPROPS_MASS_FRACTION, 20.0f, ELPROPS_OK, above_solubility},
      {"water above boiling", ELPROPS_WATER, 0.0, ELPROPS_MASS_FRACTION, 150.0f, ELPROPS_OK,
       "above 100 \xC2\xB0"
       "C the solution boils at atmospheric pressure unless it is kept under pressure, and the "
       "correlations are less accurate (docs/accuracy.md)"},
      {"substance 0", 0, 0.1, ELPROPS_MASS_FRACTION, 20.0f, ELPROPS_INADMISSIBLE_INPUT, unknown_zero},
      {"substance 273", 273, 0.1, ELPROPS_MASS_FRACTION, 20.0f, ELPROPS_INADMISSIBLE_INPUT,
       "unknown substance \"273\": give its index 1 to 19, its formula (NaCl) or its name (sodium chloride)"},
      {"concentration 0", 17, 0.0, ELPROPS_MASS_FRACTION, 20.0f, ELPROPS_INADMISSIBLE_INPUT,
       "concentration 0 is not between 0 and 1 (both excluded)"},
      {"unknown unit", 17, 0.1, 5, 20.0f, ELPROPS_INVALID_ARGUMENT, "unknown concentration unit"}};
  size_t i;
  for (i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    const struct point_case* c = &cases[i];
    char text[512];
    size_t length = 0;
    elprops_point p;
    CHECK(elprops_compute(c->substance, c->concentration, c->unit, c->temperature, &p, text, sizeof text, &length) ==
              c->status,
          c->name);
    CHECK(strcmp(text, c->text) == 0 && length == strlen(c->text), c->name);
    CHECK((c->status == ELPROPS_OK) == (p.density == p.density), c->name); /* NaN for a failure */
    if (strncmp(c->name, "worked example", 14) == 0) {
      CHECK(p.density == 1070.6378f && digits_are(p.viscosity, 7, "0.001208059") &&
                digits_are(p.surface_tension, 7, "0.07964794") && digits_are(p.heat_capacity, 7, "3747.392") &&
                digits_are(p.thermal_conductivity, 7, "0.5867352"),
            c->name);
    }
  }
}

/* Texts are cut as snprintf cuts them, never inside a UTF-8 character. */
static void texts_into_small_buffers(void) {
  /* "unknown substance "" is 19 bytes; the Cyrillic letter after it two. */
  const char* name = "\xD0\x96";
  char text[32] = "untouched";
  size_t length = 0;
  int substance = -1;
  CHECK(elprops_find_substance(name, &substance, text, 0, &length) == ELPROPS_INADMISSIBLE_INPUT, "size 0");
  CHECK(strcmp(text, "untouched") == 0 && length == strlen(unknown_zero) + 1 && substance == 0, "size 0");
  CHECK(elprops_find_substance(name, &substance, text, 8, NULL) == ELPROPS_INADMISSIBLE_INPUT, "size 8");
  CHECK(strcmp(text, "unknown") == 0, "size 8");
  elprops_find_substance(name, &substance, text, 21, NULL);
  CHECK(strcmp(text, "unknown substance \"") == 0, "a letter cut");
  CHECK(elprops_find_substance("sodium chloride", &substance, text, sizeof text, NULL) == ELPROPS_OK &&
            substance == 17 && strcmp(elprops_substance_formula(substance), "NaCl") == 0,
        "found by name");
}

static void many_points_arguments(void) {
  const int nacl = 17;
  const double fractions[] = {0.1, 0.3, 2.0};
  const float temperature = 20.0f;
  float density[3];
  int statuses[3];
  char rows[3][16];
  size_t lengths[3];
  CHECK(elprops_compute_many(3, &nacl, 1, fractions, 3, &temperature, 1, ELPROPS_MASS_FRACTION, density, NULL, NULL,
                             NULL, NULL, statuses, rows[0], sizeof rows[0], lengths) == ELPROPS_OK,
        "one substance and temperature for every point");
  CHECK(statuses[0] == ELPROPS_OK && density[0] == 1070.6378f && rows[0][0] == '\0', "first row");
  CHECK(statuses[1] == ELPROPS_OK && strcmp(rows[1], "above the solub") == 0 && lengths[1] == strlen(above_solubility),
        "second row");
  CHECK(statuses[2] == ELPROPS_INADMISSIBLE_INPUT && density[2] != density[2], "third row");
  CHECK(elprops_compute_many(3, &nacl, 2, fractions, 3, &temperature, 1, 0, density, NULL, NULL, NULL, NULL, statuses,
                             NULL, 0, NULL) == ELPROPS_INVALID_ARGUMENT,
        "two substances for three points");
  CHECK(elprops_compute_many(3, &nacl, 1, fractions, 3, &temperature, 1, 0, density, NULL, NULL, NULL, NULL, NULL, NULL,
                             0, NULL) == ELPROPS_INVALID_ARGUMENT,
        "no statuses");
}

int main(void) {
  published_points_many_at_once();
  points_one_by_one();
  texts_into_small_buffers();
  many_points_arguments();
  CHECK(strcmp(elprops_version(), ELPROPS_EXPECTED_VERSION) == 0, "version");
  if (failures == 0) printf("C interface: all checks passed\n");
  return failures == 0 ? 0 : 1;
}
