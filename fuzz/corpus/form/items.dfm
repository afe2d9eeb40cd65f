object Form1: TFuzzForm
  Caption = 'Setup of ''Tarn'''#13#10'done'
  object First: TFuzzItem
    Count = -5
    Ratio = 1.5e2
    Caption = 'one ' +
      'two'
    Enabled = False
    Style = stBold
    Options = [opA, opB]
    Lines = (
      'first'
      'second')
    Next = Second
  end
  object Second: TFuzzItem
    Ratio = 0.10000000000000001
    Next = First
  end
end
