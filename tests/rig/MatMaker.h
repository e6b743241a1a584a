#pragma once

// MAT files of chosen content for the reader tests, written with matio.

#include <matio.h>

#include <memory>
#include <string>
#include <vector>

namespace grip::test {

class MatMaker {
 public:
  explicit MatMaker(const std::string& fileName) : mat_(Mat_CreateVer(fileName.c_str(), nullptr, MAT_FT_MAT5)) {}

  /// A double matrix of rows x columns, values by columns.
  void numbers(const std::string& name, std::vector<double> values, std::size_t rows, std::size_t columns) {
    std::size_t dims[2] = {rows, columns};
    write(Mat_VarCreate(name.c_str(), MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, values.data(), 0));
  }
  void column(const std::string& name, std::vector<double> values) {
    numbers(name, values, values.size(), 1);
  }
  void shorts(const std::string& name, std::vector<short> values) {
    std::size_t dims[2] = {1, values.size()};
    write(Mat_VarCreate(name.c_str(), MAT_C_INT16, MAT_T_INT16, 2, dims, values.data(), 0));
  }
  void complexColumn(const std::string& name, std::vector<double> re, std::vector<double> im) {
    mat_complex_split_t parts{re.data(), im.data()};
    std::size_t dims[2] = {re.size(), 1};
    write(Mat_VarCreate(name.c_str(), MAT_C_DOUBLE, MAT_T_DOUBLE, 2, dims, &parts, MAT_F_COMPLEX));
  }
  void text(const std::string& name, std::string value) {
    std::size_t dims[2] = {1, value.size()};
    write(Mat_VarCreate(name.c_str(), MAT_C_CHAR, MAT_T_UTF8, 2, dims, value.data(), 0));
  }
  /// A struct whose char fields are the units of the channels named.
  void unitsStruct(const std::vector<std::pair<std::string, std::string>>& units) {
    std::vector<const char*> names;
    for (const auto& unit : units) names.push_back(unit.first.c_str());
    std::size_t dims[2] = {1, 1};
    Var s(Mat_VarCreateStruct("units", 2, dims, names.data(), static_cast<unsigned>(names.size())));
    for (const auto& [name, unit] : units) {
      std::string value = unit;
      std::size_t textDims[2] = {1, value.size()};
      // The struct owns its fields from here on.
      Mat_VarSetStructFieldByName(s.get(), name.c_str(), 0,
                                  Mat_VarCreate(nullptr, MAT_C_CHAR, MAT_T_UTF8, 2, textDims, value.data(), 0));
    }
    write(s.release());
  }

 private:
  struct Closer {
    void operator()(mat_t* mat) const noexcept { Mat_Close(mat); }
    void operator()(matvar_t* var) const noexcept { Mat_VarFree(var); }
  };
  using Var = std::unique_ptr<matvar_t, Closer>;
  void write(matvar_t* created) {
    const Var var(created);
    Mat_VarWrite(mat_.get(), var.get(), MAT_COMPRESSION_NONE);
  }
  std::unique_ptr<mat_t, Closer> mat_;
};

}  // namespace grip::test
