// The Python module `qormap`: the C interface for Python servers. Arguments
// are read as the command reads its options, and the interpreter lock is let
// go while a map is made so that the server's other threads keep running.
#define PY_SSIZE_T_CLEAN
#include <Python.h>

#include <cerrno>
#include <cstdint>

#include "qormap/qormap.h"

namespace {

// Raises TypeError: "NAME must be EXPECTED, not TYPE". The stable ABI has no
// tp_name, so the type's name is asked for as Python code would.
void raiseWrongType(const char* name, const char* expected, PyObject* value) {
    PyObject* typeName =
        PyObject_GetAttrString(reinterpret_cast<PyObject*>(Py_TYPE(value)), "__name__");
    if (typeName != nullptr) {
        PyErr_Format(PyExc_TypeError, "%s must be %s, not %.200U", name, expected, typeName);
        Py_DECREF(typeName);
    }
}

// An int argument as a Python int. bool is an int to Python but is refused,
// so that generate(True) cannot pass for seed 1.
PyObject* integerArgument(PyObject* value, const char* name) {
    if (PyBool_Check(value) || !PyIndex_Check(value)) {
        raiseWrongType(name, "an int", value);
        return nullptr;
    }
    return PyNumber_Index(value);
}

// Any int is a seed: its low 32 bits, as -s wraps its value modulo 2^32.
bool readSeed(PyObject* value, int32_t& seed) {
    PyObject* index = integerArgument(value, "seed");
    if (index == nullptr) {
        return false;
    }
    // The mask takes the low bits of an int of any size, negative ones too.
    const unsigned long long bits = PyLong_AsUnsignedLongLongMask(index);
    Py_DECREF(index);
    if (bits == static_cast<unsigned long long>(-1) && PyErr_Occurred() != nullptr) {
        return false;
    }
    seed = static_cast<int32_t>(static_cast<uint32_t>(bits));
    return true;
}

// A count or percentage: ints beyond the int32 range are first clamped to it
// (2**40 pillars is as many as can be), then the library clamps as -p does.
bool readClamped(PyObject* value, const char* name, int32_t& result) {
    if (value == nullptr) {
        return true;  // left at its default
    }
    PyObject* index = integerArgument(value, name);
    if (index == nullptr) {
        return false;
    }
    int overflow = 0;
    const long long wide = PyLong_AsLongLongAndOverflow(index, &overflow);
    Py_DECREF(index);
    if (wide == -1 && PyErr_Occurred() != nullptr) {
        return false;
    }
    if (overflow > 0 || wide > INT32_MAX) {
        result = INT32_MAX;
    } else if (overflow < 0 || wide < INT32_MIN) {
        result = INT32_MIN;
    } else {
        result = static_cast<int32_t>(wide);
    }
    return true;
}

bool readDebug(PyObject* value, int32_t& debug) {
    if (value == nullptr) {
        return true;
    }
    if (!PyBool_Check(value)) {
        raiseWrongType("debug", "a bool", value);
        return false;
    }
    debug = value == Py_True ? 1 : 0;
    return true;
}

// The keyword-only arguments both functions share; unset ones stay null.
struct MapArguments {
    PyObject* seed = nullptr;
    PyObject* bumpiness = nullptr;
    PyObject* pillars = nullptr;
    PyObject* connectors = nullptr;
    PyObject* debug = nullptr;
};

bool readOptions(const MapArguments& arguments, qormap_options& options) {
    int32_t seed = 0;
    if (!readSeed(arguments.seed, seed)) {
        return false;
    }
    options = qormap_default_options(seed);
    return readClamped(arguments.bumpiness, "bumpiness", options.bumpiness) &&
           readClamped(arguments.pillars, "pillars", options.pillars) &&
           readClamped(arguments.connectors, "connectors", options.connectors) &&
           readDebug(arguments.debug, options.debug);
}

// Sets the exception for a failed call; `path` (the caller's own object) is
// named in an OSError, as open() names it.
PyObject* raiseStatus(int status, int error, PyObject* path) {
    switch (status) {
    case QORMAP_ERROR_MEMORY:
        return PyErr_NoMemory();
    case QORMAP_ERROR_THREAD:
        PyErr_SetString(PyExc_RuntimeError, qormap_strerror(status));
        return nullptr;
    case QORMAP_ERROR_OPEN:
    case QORMAP_ERROR_WRITE:
        errno = error != 0 ? error : EIO;
        return PyErr_SetFromErrnoWithFilenameObject(PyExc_OSError, path);
    default:
        PyErr_SetString(PyExc_ValueError, qormap_strerror(status));
        return nullptr;
    }
}

// Keyword names, as PyArg_ParseTupleAndKeywords wants them (not const).
char seedKeyword[] = "seed";
char pathKeyword[] = "path";
char bumpinessKeyword[] = "bumpiness";
char pillarsKeyword[] = "pillars";
char connectorsKeyword[] = "connectors";
char debugKeyword[] = "debug";

PyObject* generateBytes(PyObject*, PyObject* args, PyObject* kwargs) {
    char* keywords[] = {seedKeyword,       bumpinessKeyword, pillarsKeyword,
                        connectorsKeyword, debugKeyword,     nullptr};
    MapArguments arguments;
    if (PyArg_ParseTupleAndKeywords(args, kwargs, "O|$OOOO:generate", keywords, &arguments.seed,
                                    &arguments.bumpiness, &arguments.pillars, &arguments.connectors,
                                    &arguments.debug) == 0) {
        return nullptr;
    }
    qormap_options options;
    if (!readOptions(arguments, options)) {
        return nullptr;
    }
    unsigned char* data = nullptr;
    size_t size = 0;
    PyThreadState* thread = PyEval_SaveThread();
    const int status = qormap_generate(&options, &data, &size);
    PyEval_RestoreThread(thread);
    if (status != QORMAP_OK) {
        return raiseStatus(status, 0, nullptr);
    }
    PyObject* bytes = PyBytes_FromStringAndSize(reinterpret_cast<const char*>(data),
                                                static_cast<Py_ssize_t>(size));
    qormap_free(data);
    return bytes;
}

PyObject* writeFile(PyObject*, PyObject* args, PyObject* kwargs) {
    char* keywords[] = {pathKeyword,       seedKeyword,  bumpinessKeyword, pillarsKeyword,
                        connectorsKeyword, debugKeyword, nullptr};
    PyObject* path = nullptr;
    MapArguments arguments;
    if (PyArg_ParseTupleAndKeywords(args, kwargs, "OO|$OOOO:write", keywords, &path,
                                    &arguments.seed, &arguments.bumpiness, &arguments.pillars,
                                    &arguments.connectors, &arguments.debug) == 0) {
        return nullptr;
    }
    // str, bytes or os.PathLike, encoded as open() encodes it (UTF-8 here).
    PyObject* encodedPath = nullptr;
    if (PyUnicode_FSConverter(path, &encodedPath) == 0) {
        return nullptr;
    }
    qormap_options options;
    if (!readOptions(arguments, options)) {
        Py_DECREF(encodedPath);
        return nullptr;
    }
    const char* pathBytes = PyBytes_AsString(encodedPath);
    int status = QORMAP_ERROR_OPEN;
    int error = ENOENT;  // an empty path names no file, as open("") says
    if (pathBytes[0] != '\0') {
        PyThreadState* thread = PyEval_SaveThread();
        status = qormap_write(&options, pathBytes);
        error = errno;
        PyEval_RestoreThread(thread);
    }
    Py_DECREF(encodedPath);
    if (status != QORMAP_OK) {
        return raiseStatus(status, error, path);
    }
    Py_RETURN_NONE;
}

// The library's defaults and ranges, as text in the docstrings.
#define TEXT_OF(value) #value
#define TEXT(value) TEXT_OF(value)
#define BUMPINESS TEXT(QORMAP_DEFAULT_BUMPINESS)
#define PILLARS TEXT(QORMAP_DEFAULT_PILLARS)
#define CONNECTORS TEXT(QORMAP_DEFAULT_CONNECTORS)
#define KEYWORDS                                                                                   \
    "*, bumpiness=" BUMPINESS ", pillars=" PILLARS ", connectors=" CONNECTORS ", debug=False)"
#define BUMPINESS_RANGE "0.." TEXT(QORMAP_MAX_BUMPINESS)
#define COUNT_RANGE "0.." TEXT(QORMAP_MAX_COUNT)

// The first lines give help() and inspect.signature the real signatures.
PyDoc_STRVAR(generateDoc,
             "generate($module, /, seed, " KEYWORDS "\n--\n\n"
             "The map for `seed` as bytes: the file `qormap -s SEED -b -p -c [-d]` writes.\n\n"
             "Any int is a seed (wrapped modulo 2**32 as -s wraps). bumpiness is clamped\n"
             "to " BUMPINESS_RANGE ", pillars and connectors to " COUNT_RANGE "; debug outlines\n"
             "the start regions. Other threads run while the map is made; calls from\n"
             "several threads are safe and take turns.");

PyDoc_STRVAR(writeDoc,
             "write($module, /, path, seed, " KEYWORDS "\n--\n\n"
             "Writes the map for `seed` to `path` (str, bytes or os.PathLike) whole or not\n"
             "at all: a failure raises OSError naming the path and leaves any earlier\n"
             "file as it was. No folder is created. Arguments as for generate().");

PyDoc_STRVAR(moduleDoc, "Maps for a voxel game, generated in memory from a seed.\n\n"
                        "The same seed and options give the same bytes on every machine.");

PyMethodDef methods[] = {
    {"generate", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(generateBytes)),
     METH_VARARGS | METH_KEYWORDS, generateDoc},
    {"write", reinterpret_cast<PyCFunction>(reinterpret_cast<void (*)()>(writeFile)),
     METH_VARARGS | METH_KEYWORDS, writeDoc},
    {nullptr, nullptr, 0, nullptr},
};

int executeModule(PyObject* module) {
    return PyModule_AddStringConstant(module, "__version__", qormap_version());
}

// The module keeps no state of its own, so each interpreter may load it.
PyModuleDef_Slot slots[] = {
    {Py_mod_exec, reinterpret_cast<void*>(executeModule)},
    {0, nullptr},
};

PyModuleDef moduleDefinition = {
    PyModuleDef_HEAD_INIT, "qormap", moduleDoc, 0, methods, slots, nullptr, nullptr, nullptr,
};

}  // namespace

// Exported whatever the interpreter's headers say: the module is built with
// hidden symbols, and before 3.9 PyMODINIT_FUNC did not export it.
#if defined(__GNUC__)
extern "C" __attribute__((visibility("default"))) PyObject* PyInit_qormap(void);
#endif

PyMODINIT_FUNC PyInit_qormap(void) {
    return PyModuleDef_Init(&moduleDefinition);
}
