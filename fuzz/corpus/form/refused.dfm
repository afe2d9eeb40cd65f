object Form1: TFuzzForm
  object A: TFuzzItem
    Colour = 3
  end
end
