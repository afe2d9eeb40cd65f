object F: TFuzzForm
  object A: TFuzzItem
    Ratio = 1e400
  end
end
