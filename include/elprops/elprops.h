/* elprops for C and every language that calls C (Fortran, Julia, R,
 * MATLAB, Python's ctypes): the same library and the same values as the
 * C++ interface of <elprops/elprops.hpp>, through plain C99 types.
 *
 *   #include <elprops/elprops.h>
 *
 *   int nacl;
 *   elprops_point p;
 *   char text[256];
 *   if (elprops_find_substance("NaCl", &nacl, text, sizeof text, NULL) == ELPROPS_OK &&
 *       elprops_compute(nacl, 0.1, ELPROPS_MASS_FRACTION, 20.0f, &p, text, sizeof text, NULL) == ELPROPS_OK)
 *     printf("%.8g kg/m3\n", (double)p.density);
 *   else
 *     printf("%s\n", text);
 *
 * Link with -lelprops (pkg-config --libs elprops). Every function may be
 * called from several threads at once; none keeps a state between calls.
 *
 * Texts (warnings, error messages) go into buffers the caller provides, as
 * snprintf writes: at most size - 1 bytes and a terminating NUL (nothing
 * when size is 0), never cut inside a UTF-8 character. The length the whole
 * text needs, without the NUL, is stored where `length` points (when it is
 * not NULL), so a caller may ask again with a larger buffer. */
#ifndef ELPROPS_ELPROPS_H
#define ELPROPS_ELPROPS_H

#include <stddef.h>

/* ELPROPS_API: the preprocessor-only export macro shared with the C++
 * headers. */
#include <elprops/export.hpp>

#ifdef __cplusplus
extern "C" {
#endif

/* What a call or a point came to. The first four are the kinds of the C++
 * interface's errors, with the same numbers. */
typedef enum elprops_status {
  ELPROPS_OK = 0,
  /* an unknown substance, or a value outside the admissible ranges */
  ELPROPS_INADMISSIBLE_INPUT = 1,
  /* the correlations left the number range (e.g. near saturation) */
  ELPROPS_ARITHMETIC_FAULT = 2,
  /* no admissible concentration gives the value asked for */
  ELPROPS_OUT_OF_REACH = 3,
  /* a required pointer is NULL, a unit unknown, or the counts do not fit */
  ELPROPS_INVALID_ARGUMENT = 4,
  /* the library ran out of memory */
  ELPROPS_OUT_OF_MEMORY = 5,
  /* anything else the library could not finish */
  ELPROPS_INTERNAL_ERROR = 6
} elprops_status;

/* The units a concentration may be given in. */
typedef enum elprops_unit {
  ELPROPS_MASS_FRACTION = 0,     /* kg of salt per kg of solution */
  ELPROPS_MASS_PERCENT = 1,      /* the mass fraction times 100 */
  ELPROPS_MOLALITY = 2,          /* mol of salt per kg of water */
  ELPROPS_MOLARITY = 3,          /* mol of salt per litre of solution */
  ELPROPS_MASS_CONCENTRATION = 4 /* g of salt per litre of solution */
} elprops_unit;

/* The substances are numbered 1 to ELPROPS_SUBSTANCE_COUNT in the order of
 * the window's list; ELPROPS_WATER is water, every other number a salt. */
#define ELPROPS_SUBSTANCE_COUNT 19
#define ELPROPS_WATER 19

/* One computed point: its five properties as single-precision floats in SI
 * units (the bits elprops-cli and the window show), and its concentration
 * as the correlations took it. */
typedef struct elprops_point {
  float density;              /* kg/m3 */
  float viscosity;            /* Pa*s */
  float surface_tension;      /* N/m */
  float heat_capacity;        /* J/(kg*K) */
  float thermal_conductivity; /* W/(m*K) */
  float mass_fraction;        /* kg/kg; 0 for water */
  double molality;            /* mol per kg of water */
  double molarity;            /* mol per litre of solution, at this density */
} elprops_point;

/* "MAJOR.MINOR.PATCH" of the library this program runs with. */
ELPROPS_API const char* elprops_version(void);

/* A few words for a status ("ok", "inadmissible input", ...); never NULL. */
ELPROPS_API const char* elprops_status_text(int status);

/* The number (1 to 19) of the substance named by its number ("17"), its
 * formula in any case ("NaCl", "(nh4)2so4"), its English name ("sodium
 * chloride") or its Russian name as listed, in UTF-8. ELPROPS_OK, or
 * ELPROPS_INADMISSIBLE_INPUT with the reason in `message`. */
ELPROPS_API elprops_status elprops_find_substance(const char* name, int* substance, char* message, size_t message_size,
                                                  size_t* length);

/* The formula ("NaCl") and the English name ("sodium chloride") of a
 * substance; NULL for a number outside 1 to 19. The texts are static. */
ELPROPS_API const char* elprops_substance_formula(int substance);
ELPROPS_API const char* elprops_substance_name(int substance);

/* One point: a substance, a concentration in a unit (0 for water) and a
 * temperature in degrees Celsius. On ELPROPS_OK `point` holds the point and
 * `text` its warnings and notes joined by "; " (above the solubility, above
 * 100 degrees Celsius, ...; empty when there are none; they never change a
 * value). Otherwise `point` holds NaNs and `text` the error message. `text`
 * may be NULL when text_size is 0. */
ELPROPS_API elprops_status elprops_compute(int substance, double concentration, int unit, float temperature_celsius,
                                           elprops_point* point, char* text, size_t text_size, size_t* length);

/* Many points at once, each with the same bits as elprops_compute gives it.
 *
 * Point i takes substances[i], concentrations[i] and temperatures_celsius[i];
 * an input with a count of 1 stands for every point, otherwise its count
 * must be `count`. All concentrations are in `unit`.
 *
 * Each of the five property arrays may be NULL (not wanted) or hold `count`
 * floats; a failed point's properties are NaNs. statuses (required) gets
 * each point's status. texts, when not NULL, is `count` rows of text_size
 * bytes: row i gets point i's warnings or its error message, as
 * elprops_compute gives them, cut to fit; text_lengths, when not NULL, gets
 * the length each text needs.
 *
 * Returns ELPROPS_OK when the points were computed (each may still have
 * failed: see statuses), or the reason none was (its words in the first
 * text row, when there is one). */
ELPROPS_API elprops_status elprops_compute_many(size_t count, const int* substances, size_t substances_count,
                                                const double* concentrations, size_t concentrations_count,
                                                const float* temperatures_celsius, size_t temperatures_count, int unit,
                                                float* density, float* viscosity, float* surface_tension,
                                                float* heat_capacity, float* thermal_conductivity, int* statuses,
                                                char* texts, size_t text_size, size_t* text_lengths);

#ifdef __cplusplus
}
#endif

#endif /* ELPROPS_ELPROPS_H */
