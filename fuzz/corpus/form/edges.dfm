object Form1: TFuzzForm
  Caption = 'x' +
  'y'
  object A: TFuzzItem
    Count = 9223372036854775807
    Lines = ()
    Next = nil
  end
end
