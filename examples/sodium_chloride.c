/* The sodium chloride worked example through the C interface of the
 * installed library: a mass fraction of 0.1 at 20 degrees Celsius. */
#include <elprops/elprops.h>
#include <stdio.h>
#include <stdlib.h>

/* The shortest decimal text that reads back to the same float ("1070.6378"). */
static void shortest(char* text, size_t size, float value) {
  int digits;
  for (digits = 1; digits < 9; ++digits) {
    snprintf(text, size, "%.*g", digits, (double)value);
    if (strtof(text, NULL) == value) return;
  }
  snprintf(text, size, "%.9g", (double)value);
}

int main(void) {
  static const char* const names[] = {"density", "viscosity", "surface tension", "heat capacity",
                                      "thermal conductivity"};
  static const char* const units[] = {"kg/m3", "Pa*s", "N/m", "J/(kg*K)", "W/(m*K)"};
  char message[512];
  char number[32];
  float values[5];
  int nacl = 0;
  int i;
  elprops_point p;

  if (elprops_find_substance("NaCl", &nacl, message, sizeof message, NULL) != ELPROPS_OK ||
      elprops_compute(nacl, 0.1, ELPROPS_MASS_FRACTION, 20.0f, &p, message, sizeof message, NULL) != ELPROPS_OK) {
    fprintf(stderr, "%s\n", message);
    return 1;
  }
  printf("elprops %s: %s (%s), mass fraction 0.1, 20 degrees Celsius\n", elprops_version(),
         elprops_substance_name(nacl), elprops_substance_formula(nacl));
  values[0] = p.density;
  values[1] = p.viscosity;
  values[2] = p.surface_tension;
  values[3] = p.heat_capacity;
  values[4] = p.thermal_conductivity;
  for (i = 0; i < 5; ++i) {
    shortest(number, sizeof number, values[i]);
    printf("%-21s %s %s\n", names[i], number, units[i]);
  }
  if (message[0] != '\0') printf("warnings: %s\n", message);
  return 0;
}
