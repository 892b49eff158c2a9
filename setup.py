"""Builds the compiled module elprops._elprops with the project's CMake for
the interpreter that runs this (pip install . / pip wheel .).

The wheel holds the package elprops: __init__.py, the compiled module and the
shared library libelprops beside it, which the module finds through its
search path $ORIGIN. Environment: CMAKE_BUILD_PARALLEL_LEVEL (default 2)
and CMake's own variables (CMAKE_CXX_COMPILER_LAUNCHER=ccache, CXX, ...).
"""
import os
import pathlib
import re
import shutil
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

ROOT = pathlib.Path(__file__).resolve().parent


def project_version():
    text = (ROOT / "CMakeLists.txt").read_text(encoding="utf-8")
    match = re.search(r"project\(elprops\s+VERSION\s+([0-9.]+)", text)
    if not match:
        raise RuntimeError("CMakeLists.txt names no project version")
    return match.group(1)


class CMakeBuild(build_ext):
    """Configures the project without Qt, tests and benchmarks, builds the
    module and installs it with the library into a staging folder, from
    which both go into the package."""

    def build_extension(self, ext):
        build = pathlib.Path(self.build_temp).resolve() / "cmake"
        stage = pathlib.Path(self.build_temp).resolve() / "stage"
        shutil.rmtree(stage, ignore_errors=True)
        # The module's install folder is the library's: its search path is $ORIGIN.
        configure = ["cmake", "-S", str(ROOT), "-B", str(build), "-DCMAKE_BUILD_TYPE=Release",
                     f"-DPython3_EXECUTABLE={sys.executable}", "-DELPROPS_WITH_QT=OFF", "-DBUILD_TESTING=OFF",
                     "-DELPROPS_BUILD_BENCHMARKS=OFF", "-DELPROPS_WERROR=OFF", "-DELPROPS_PYTHON_INSTALL_DIR=lib",
                     "-DCMAKE_INSTALL_LIBDIR=lib/elprops"]
        jobs = os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")
        self.run_command_line(configure)
        self.run_command_line(["cmake", "--build", str(build), "--target", "elprops_python", "-j", jobs])
        for component in ("Library", "Python"):
            self.run_command_line(["cmake", "--install", str(build), "--prefix", str(stage), "--component", component])
        installed = stage / "lib" / "elprops"
        modules = sorted(installed.glob("_elprops*.so"))
        library = installed / "libelprops.so.{}".format(project_version().split(".")[0])
        if len(modules) != 1 or not library.exists():
            raise RuntimeError(f"CMake did not install the module and the library into {installed}")
        target = pathlib.Path(self.get_ext_fullpath(ext.name)).parent
        target.mkdir(parents=True, exist_ok=True)
        shutil.copyfile(modules[0], target / pathlib.Path(self.get_ext_fullpath(ext.name)).name)
        # One copy of the library, under its SONAME (a wheel keeps no links).
        shutil.copyfile(library.resolve(), target / library.name)

    def run_command_line(self, command):
        print(" ".join(command), flush=True)
        subprocess.run(command, check=True)


setup(
    version=project_version(),
    ext_modules=[Extension("elprops._elprops", sources=[])],
    cmdclass={"build_ext": CMakeBuild},
    zip_safe=False,
)
