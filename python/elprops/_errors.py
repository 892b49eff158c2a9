"""The exceptions and the warning category of the package elprops."""

# --- Errors --------------------------------------------------------------------

class InadmissibleError(ValueError):
    """A point outside the admissible ranges, or an unknown substance.

    For a salt the mass fraction must be above 0 and below 1, for water it must
    be 0; the temperature above 0 °C and below the substance's limit.
    The message is that of elprops-cli.
    """


class ArithmeticFault(ValueError):
    """A point whose computation left the number range.

    The correlations took the logarithm of a value that is not positive or
    overflowed, as happens for several salts close to a mass fraction of 1
    (potassium carbonate at 0.99 and 20 degrees). The message is that of
    elprops-cli and begins with 'arithmetic error'.
    """


class OutOfReachError(InadmissibleError):
    """No admissible mass fraction gives the value asked for.

    The message names the range the admissible mass fractions reach at that
    temperature. A subclass of InadmissibleError, so a ValueError too.
    """


class ValidityWarning(UserWarning):
    """A computed point lies where the correlations are less sure: above the
    salt's solubility, above 100 degrees, a value at or below zero, or a note
    (no solubility data, a salt not well defined there).

    compute(), compute_many() and solve() issue one per call through
    warnings.warn, counting the points of an array call ('3 of 10 points:
    above the solubility ...'), beside the .warnings and .warning data.
    The values are computed all the same. To silence it:
    warnings.simplefilter("ignore", elprops.ValidityWarning), which also
    spares array calls the count.
    """


# Shown, pickled and documented as the package's own (elprops.<name>).
for _type in [_value for _value in list(globals().values()) if isinstance(_value, type)]:
    if _type.__module__ == __name__:
        _type.__module__ = "elprops"
