# Type stubs of the package elprops, for editors and type checkers.
from typing import Any, Iterator, List, Literal, NamedTuple, Optional, Sequence, Tuple, Union, overload

import numpy as np
import numpy.typing as npt

__version__: str

_Unit = Literal["fraction", "percent", "%", "molality", "molarity", "g/L"]
_SubstanceLike = Union[str, int, "Substance"]
_Number = Union[float, int, np.floating, np.integer]
_ArrayLike = npt.ArrayLike
_DTypeLike = npt.DTypeLike

class InadmissibleError(ValueError): ...
class ArithmeticFault(ValueError): ...
class OutOfReachError(InadmissibleError): ...
class ValidityWarning(UserWarning): ...

class Single(float): ...

class ValueArray(np.ndarray):
    error: Optional[npt.NDArray[np.object_]]

class PointWarning(NamedTuple):
    kind: str
    message: str
    note: bool

class Reference(NamedTuple):
    value: float
    source: str
    deviation: float
    within_span: bool
    t_min: float
    t_max: float
    w_max: float

class References(NamedTuple):
    density: Any
    viscosity: Any
    surface_tension: Any
    heat_capacity: Any
    thermal_conductivity: Any

class ReferenceArrays(NamedTuple):
    value: npt.NDArray[np.float64]
    source: npt.NDArray[np.object_]
    deviation: npt.NDArray[np.float64]
    within_span: npt.NDArray[np.bool_]

class Properties(NamedTuple):
    density: Single
    viscosity: Single
    surface_tension: Single
    heat_capacity: Single
    thermal_conductivity: Single
    # Attributes beside the fields.
    @property
    def warnings(self) -> Tuple[PointWarning, ...]: ...
    @property
    def reference(self) -> Optional[References]: ...
    @property
    def notes(self) -> Tuple[str, ...]: ...

class Substance(NamedTuple):
    index: int  # type: ignore[assignment]
    formula: str
    english_name: str
    russian_name: str
    molar_mass: float
    temperature_limit: float

class _ColumnRecord:
    def to_dataframe(self) -> Any: ...  # a pandas.DataFrame
    def _repr_html_(self) -> str: ...

class PropertyArrays(_ColumnRecord, dict):  # type: ignore[type-arg]
    _fields: Tuple[str, ...]
    def __init__(self, density: Any, viscosity: Any, surface_tension: Any, heat_capacity: Any,
                 thermal_conductivity: Any, error: Any, warning: Any) -> None: ...
    @property
    def density(self) -> Any: ...  # an ndarray, or a pandas Series given a Series
    @property
    def viscosity(self) -> Any: ...
    @property
    def surface_tension(self) -> Any: ...
    @property
    def heat_capacity(self) -> Any: ...
    @property
    def thermal_conductivity(self) -> Any: ...
    @property
    def error(self) -> Any: ...
    @property
    def warning(self) -> Any: ...
    def __getitem__(self, name: str) -> Any: ...
    def __len__(self) -> int: ...
    def __iter__(self) -> Iterator[str]: ...
    def keys(self) -> List[str]: ...  # type: ignore[override]
    def values(self) -> List[Any]: ...  # type: ignore[override]
    def items(self) -> List[Tuple[str, Any]]: ...  # type: ignore[override]
    def _asdict(self) -> dict: ...  # type: ignore[type-arg]

class PropertyArraysWithReference(PropertyArrays):
    reference: Optional[References]
    notes: Any

class Answer(NamedTuple):
    mass_fraction: Single
    concentration: float
    achieved: float
    below: Single
    above: Single
    chosen: str
    @property
    def warnings(self) -> Tuple[PointWarning, ...]: ...
    @property
    def run_first(self) -> Single: ...
    @property
    def run_last(self) -> Single: ...
    @property
    def plateau(self) -> bool: ...

class Solutions(_ColumnRecord, NamedTuple):  # type: ignore[misc]
    mass_fraction: Any
    concentration: Any
    count: Any
    error: Any

class Conversions(_ColumnRecord, NamedTuple):  # type: ignore[misc]
    mass_fraction: Any
    achieved: Any
    error: Any
    @property
    def warning(self) -> Any: ...

class Derived(NamedTuple):
    kinematic_viscosity: Any
    thermal_diffusivity: Any
    prandtl_number: Any
    specific_volume: Any
    volumetric_heat_capacity: Any
    thermal_expansion: Any
    heat_taken_up: Any

class TemperatureAnswer(NamedTuple):
    temperature: Single
    achieved: float
    below: Single
    above: Single
    chosen: str
    run_first: Single
    run_last: Single
    plateau: bool
    warnings: Tuple[PointWarning, ...]

class Quantity(NamedTuple):
    name: str
    words: str
    symbol: str
    unit: str
    formula: str

@overload
def compute(substance: _SubstanceLike, concentration: _Number = ..., temperature: Optional[_Number] = ...,  # type: ignore[misc]
            *,
            unit: _Unit = ..., reference: bool = ..., dtype: Optional[_DTypeLike] = ...,
            mass_fraction: Optional[_Number] = ...) -> Properties: ...
@overload
def compute(substance: Union[_SubstanceLike, _ArrayLike], concentration: _ArrayLike = ...,
            temperature: Optional[_ArrayLike] = ..., *, unit: _Unit = ..., reference: bool = ...,
            dtype: Optional[_DTypeLike] = ..., mass_fraction: Optional[_ArrayLike] = ...) -> PropertyArrays: ...
def compute_many(substance: Union[_SubstanceLike, _ArrayLike], concentration: _ArrayLike = ...,
                 temperature: Optional[_ArrayLike] = ..., *, unit: _Unit = ..., dtype: Optional[_DTypeLike] = ...,
                 mass_fraction: Optional[_ArrayLike] = ...) -> PropertyArrays: ...
@overload
def solve(substance: _SubstanceLike, temperature: _Number, property: str, value: _Number,  # type: ignore[misc]
          unit: _Unit = ...,
          reference_temperature: _Number = ...) -> List[Answer]: ...
@overload
def solve(substance: _SubstanceLike, temperature: _ArrayLike, property: str, value: _ArrayLike, unit: _Unit = ...,
          reference_temperature: _Number = ...) -> Solutions: ...
def compute_derived(substance: _SubstanceLike, mass_fraction: _ArrayLike, temperature: _ArrayLike,
                    reference_temperature: _Number = ...) -> Derived: ...
def solve_temperature(substance: _SubstanceLike, mass_fraction: _Number, property: str, value: _Number,
                      reference_temperature: _Number = ...) -> List[TemperatureAnswer]: ...
def quantities() -> List[Quantity]: ...
@overload
def to_mass_fraction(substance: _SubstanceLike, value: _Number, unit: _Unit,  # type: ignore[misc]
                     temperature: Optional[_Number] = ...) -> Single: ...
@overload
def to_mass_fraction(substance: _SubstanceLike, value: _ArrayLike, unit: _Unit,
                     temperature: Optional[_ArrayLike] = ...) -> Conversions: ...
@overload
def molality(substance: _SubstanceLike, mass_fraction: _Number) -> float: ...  # type: ignore[misc]
@overload
def molality(substance: _SubstanceLike, mass_fraction: _ArrayLike) -> ValueArray: ...
@overload
def molarity(substance: _SubstanceLike, mass_fraction: _Number, density: _Number) -> float: ...  # type: ignore[misc]
@overload
def molarity(substance: _SubstanceLike, mass_fraction: _ArrayLike, density: _ArrayLike) -> ValueArray: ...
def standard_molar_mass(substance: _SubstanceLike) -> float: ...
def substances() -> List[Substance]: ...
def find_substance(name_or_index: Union[str, int, Substance]) -> Optional[Substance]: ...
@overload
def calcium_chloride_saturation(temperature: _Number) -> float: ...  # type: ignore[misc]
@overload
def calcium_chloride_saturation(temperature: _ArrayLike) -> npt.NDArray[np.float32]: ...
def version() -> str: ...

__all__: Sequence[str]
