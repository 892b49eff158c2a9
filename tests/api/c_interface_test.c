/* The C interface from C, built as C99 with -pedantic: the worked example's
 * published digits in every unit, errors, warnings and the texts' buffers. */
#include <elprops/elprops.h>
#include <stdio.h>
#include <string.h>

static int failures = 0;
#define CHECK(condition, name) \
  if (!(condition)) ++failures, fprintf(stderr, "FAIL %s: %s (line %d)\n", name, #condition, __LINE__)

/* Texts elprops-cli prints. */
static const char* const above_solubility =
    "above the solubility of NaCl at 20 \xC2\xB0"
    "C (0.2641; the solid is NaCl)";
static const char* const unknown_273 =
    "unknown substance \"273\": give its index 1 to 19, its formula (NaCl) or its name (sodium chloride)";

static int digits_are(float value, const char* published) {
  char text[64];
  snprintf(text, sizeof text, "%.7g", (double)value);
  return strcmp(text, published) == 0;
}

static void points_one_by_one(void) {
  /* 1000 w / ((1 - w) M) mol/kg with M = 58.44 g/mol is the mass fraction 0.1. */
  const double molality = 1000.0 * 0.1 / (0.9 * 58.44);
  const struct {
    const char *name, *text;
    int substance, unit;
    elprops_status status;
    double concentration;
    float temperature;
  } cases[] = {
      {"worked example", "", 17, ELPROPS_MASS_FRACTION, ELPROPS_OK, 0.1, 20.0f},
      {"worked example in percent", "", 17, ELPROPS_MASS_PERCENT, ELPROPS_OK, 10.0, 20.0f},
      {"worked example in mol/kg", "", 17, ELPROPS_MOLALITY, ELPROPS_OK, molality, 20.0f},
      {"above the solubility", above_solubility, 17, ELPROPS_MASS_FRACTION, ELPROPS_OK, 0.3, 20.0f},
      {"substance 273, not 17", unknown_273, 273, ELPROPS_MASS_FRACTION, ELPROPS_INADMISSIBLE_INPUT, 0.1, 20.0f},
      {"concentration 0", "concentration 0 is not between 0 and 1 (both excluded)", 17, ELPROPS_MASS_FRACTION,
       ELPROPS_INADMISSIBLE_INPUT, 0.0, 20.0f},
      {"unknown unit", "unknown concentration unit", 17, 5, ELPROPS_INVALID_ARGUMENT, 0.1, 20.0f}};
  size_t i;
  for (i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
    char text[512];
    size_t length = 0;
    elprops_point p;
    CHECK(elprops_compute(cases[i].substance, cases[i].concentration, cases[i].unit, cases[i].temperature, &p, text,
                          sizeof text, &length) == cases[i].status,
          cases[i].name);
    CHECK(strcmp(text, cases[i].text) == 0 && length == strlen(cases[i].text), cases[i].name);
    CHECK((cases[i].status == ELPROPS_OK) == (p.density == p.density), cases[i].name); /* NaN for a failure */
    if (strncmp(cases[i].name, "worked example", 14) == 0) {
      CHECK(p.density == 1070.6378f && digits_are(p.viscosity, "0.001208059") &&
                digits_are(p.surface_tension, "0.07964794") && digits_are(p.heat_capacity, "3747.392") &&
                digits_are(p.thermal_conductivity, "0.5867352"),
            cases[i].name);
    }
  }
}

/* Texts are cut as snprintf cuts them, never inside a UTF-8 character
 * ("unknown substance "" is 19 bytes, the Cyrillic letter after it two). */
static void texts_into_small_buffers(void) {
  char text[32] = "untouched";
  size_t length = 0;
  int substance = -1;
  CHECK(elprops_find_substance("\xD0\x96", &substance, text, 0, &length) == ELPROPS_INADMISSIBLE_INPUT, "size 0");
  CHECK(strcmp(text, "untouched") == 0 && length == strlen(unknown_273) - 1 && substance == 0, "size 0");
  elprops_find_substance("\xD0\x96", &substance, text, 8, NULL);
  CHECK(strcmp(text, "unknown") == 0, "size 8");
  elprops_find_substance("\xD0\x96", &substance, text, 21, NULL);
  CHECK(strcmp(text, "unknown substance \"") == 0, "a letter cut");
}

static void many_points(void) {
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
}

int main(void) {
  points_one_by_one();
  texts_into_small_buffers();
  many_points();
  CHECK(strcmp(elprops_version(), ELPROPS_EXPECTED_VERSION) == 0, "version");
  return failures == 0 ? 0 : 1;
}
